"""The command line: the conversion of one piece, the cost of a run, the account's voices and
the voices' previews.

    convert.py [--wait-for-go] <input> <output> <voice id>   converts one piece
    convert.py --estimate <voice id> <piece>...              what a run would send and cost
    convert.py --voices                                      the account's own voices
    convert.py --previews                                    the voices that have a preview
    convert.py --preview <voice id> <preview url>            a preview's file, downloaded once

What the window reads comes as JSON objects on standard output (see protocol.py): "ready" and
"answered" around a piece's requests, then one "result" or "failure"; "estimate"; "voices";
"previews"; "preview".
People's words go to standard error.
"""

import os
import sys

from . import audio, background, cache, previews, protocol, service, stops
from .messages import Failure, clean, plural, say, shorten
from .workfiles import TempFiles

# Shorter pieces carry no speech worth a request.
SHORTEST_SPEECH_SECONDS = 0.25

# Pieces the cost of a run measures at once (each an ffmpeg run), at most one per core.
MEASURED_AT_ONCE = 4

# Exit status of a piece refused because the account's requests at once are used up; the
# caller runs it again once one of its own requests has ended.
EXIT_BUSY = 75

# The service of the piece: a failure after it answered (paid) and before what it answered was
# kept may have cost credits.
SERVICES = []


def parse_arguments(argv):
    if len(argv) != 3:
        raise Failure("usage: convert.py [--wait-for-go] <input> <output> <voice id> (got %s)"
                      % plural(len(argv), "argument"))
    input_path, output_path, voice_id = argv
    voice_id = voice_id.strip()
    if not voice_id:
        raise Failure("the voice id is empty: choose a voice first")
    if not os.path.isfile(input_path):
        raise Failure("input file not found: %s" % input_path)
    output_path = os.path.abspath(output_path)
    if not os.path.isdir(os.path.dirname(output_path)):
        raise Failure("the output folder does not exist: %s" % os.path.dirname(output_path))
    return os.path.abspath(input_path), output_path, voice_id


def offline_voice_wanted():
    return os.environ.get("VOXSPLICE_OFFLINE_VOICE", "").strip() == "1"


def new_take_wanted():
    """A piece redone: the service is asked again even where the cache holds an answer."""
    return os.environ.get("VOXSPLICE_NEW_TAKE", "").strip() == "1"


def keep_background():
    """Where the background is split off: "service", "local", or "" for not at all."""
    mode = os.environ.get("VOXSPLICE_KEEP_BACKGROUND", "").strip()
    if mode not in ("", "service", "local"):
        raise Failure("VOXSPLICE_KEEP_BACKGROUND=%s is none of service, local: fix or unset it"
                      % shorten(mode, 40))
    return mode


def result_key(digest, voice_id, mode, settings):
    """What the service's answer depends on, for the cache: the voice settings as they are sent.
    With none set, the name is the one pieces were kept under before there were settings."""
    fields = service.request_fields(settings)
    model = fields.pop("model_id")
    return cache.key("voice", digest, voice=voice_id, model=model,
                     output_format=service.OUTPUT_FORMAT, background=mode,
                     **({"fields": fields} if fields else {}))


def voice_settings(offline):
    """The user's voice settings; the offline voice has none of them, and never reads them."""
    return {} if offline else service.voice_settings()


def check_limits(path, seconds):
    """Refuses, before anything is sent, a piece the service would refuse or bill in vain."""
    if seconds > service.MAX_SECONDS:
        raise Failure("%s is %.1f s long; the voice service takes at most %d s a request: split "
                      "into shorter pieces (-segment_time of the split template)"
                      % (path, seconds, service.MAX_SECONDS))
    size = os.path.getsize(path)
    if size > service.MAX_BYTES:
        raise Failure("%s is %.1f MB; the voice service takes at most %d MB a request: split "
                      "into shorter pieces" % (path, size / 1e6, service.MAX_BYTES // 1000000))


def convert(argv, wait_for_go=False):
    input_path, output_path, voice_id = parse_arguments(argv)
    offline = offline_voice_wanted()
    settings = voice_settings(offline)
    mode = keep_background()
    ffmpeg = audio.find_ffmpeg()
    kept = cache.Cache()
    # The offline voice takes nothing from the cache: no look-up first, one decoding measures
    # its piece (and tells the cache's index, for a later run with the service).
    samples, digest = (audio.decode if offline else audio.measure)(ffmpeg, input_path, kept)
    seconds = samples / audio.SAMPLE_RATE
    with TempFiles(output_path) as temps:
        piece = temps.new(".part")
        if seconds < SHORTEST_SPEECH_SECONDS:
            # A sliver at the end of a split holds no speech; the service would refuse it or
            # bill a request for nothing. It stays silent at its exact length.
            say("%s is only %.2f s long: kept as silence" % (input_path, seconds))
            audio.encode_silence(ffmpeg, piece, samples)
            return deliver(temps, piece, output_path, seconds, "OK: wrote %s (%.2f s of silence)"
                           % (output_path, seconds))
        name = result_key(digest, voice_id, mode, settings)
        if not offline and not new_take_wanted() and kept.fetch(name, piece):
            return deliver(temps, piece, output_path, seconds, "OK: reused %s from the cache "
                           "(%.1f s; nothing sent, no credits)" % (output_path, seconds),
                           reused=True)
        # Only now: a kept piece needs no key. The piece is ready for the service once all that
        # can be done before its first request is done; with --wait-for-go the window says when
        # it may go.
        remote = None
        if not offline or mode == "service":
            remote = service.Service(go_ahead if wait_for_go else None)
            SERVICES.append(remote)
        if not offline:
            check_limits(input_path, seconds)
        voice, rest = input_path, None
        if mode == "service":
            say("Taking the voice out of %s (%.1f s) at the voice isolator" % (input_path, seconds))
            voice, rest = background.split_by_isolator(ffmpeg, remote, kept, input_path, digest,
                                                       samples, temps)
        elif mode == "local":
            say("Taking the voice out of %s (%.1f s) on this machine" % (input_path, seconds))
            voice, rest = background.split_locally(ffmpeg, input_path, samples, temps)
        changed = temps.new(".voice.mp4" if offline else ".voice.mp3")
        if offline:
            answered(remote)  # the isolator's, if any, was the last
            shift = audio.offline_semitones(voice_id)
            say("Changing the voice of %s (%.1f s) offline, %+d semitones"
                % (input_path, seconds, shift))
            audio.encode_piece(ffmpeg, voice, changed, samples,
                               audio.pitch_filter(shift, audio.has_rubberband(ffmpeg, kept)),
                               "ffmpeg failed to change the voice")
        else:
            say("Converting %s (%.1f s) with voice %s" % (input_path, seconds, voice_id))
            with open(changed, "wb") as sink:
                remote.convert(voice, voice_id, sink, settings)
            answered(remote)
        if rest:
            background.mix(ffmpeg, changed, rest, piece, samples)
        elif offline:
            piece = changed  # already a piece of the fixed format and length
        else:
            audio.encode_piece(ffmpeg, changed, piece, samples, "",
                               "the voice service answered with audio that ffmpeg cannot read")
        if not offline and kept.store(name, piece):
            remote.unkept = False
        credits = remote.paid * service.credits_for(seconds) if remote else 0
        deliver(temps, piece, output_path, seconds, "OK: wrote %s (%.1f s%s)" % (
            output_path, seconds, ", about %d credits" % credits if credits else ""),
            credits=credits)


def answered(remote):
    """Tells the window that the piece's requests are answered: its request slot is free."""
    if remote and remote.paid:
        protocol.emit("answered")


def go_ahead():
    """Says the piece is ready for the service and waits for the window's "go"; anything else,
    or the end of its input, stops the piece before anything is sent. Once it may go, a stop
    waits for the piece: the window counts it as sent."""
    protocol.emit("ready")
    if sys.stdin.readline().strip() != "go":
        raise Failure("stopped before the piece was sent", "stopped")
    stops.commit()


def deliver(temps, piece, output_path, seconds, message, reused=False, credits=0):
    """Moves the finished piece into place and reports it. A stop from here on comes too late:
    the piece is done."""
    stops.ignore()
    temps.move_into_place(piece, output_path)
    say(message)
    protocol.emit("result", ok=True, output=output_path, seconds=round(seconds, 3),
                  reused=reused, credits=credits, message=clean(message))


def estimate(argv):
    """What a run over `pieces` would send and cost, and what the account has left. The pieces
    are measured a few at a time, by their packets (see audio.measure)."""
    if len(argv) < 1:
        raise Failure("usage: convert.py --estimate <voice id> <piece>...")
    voice_id, pieces = argv[0].strip(), argv[1:]
    settings = voice_settings(offline_voice_wanted())
    mode = keep_background()
    ffmpeg = audio.find_ffmpeg()
    kept = cache.Cache()
    send = cached = isolate = 0.0
    def measured_or_unreadable(path):
        try:
            return audio.measure(ffmpeg, path, kept, guess=True)
        except Failure:
            return None  # named in the report; its conversion says why

    import concurrent.futures  # here: a piece's conversion starts faster without it

    with concurrent.futures.ThreadPoolExecutor(min(MEASURED_AT_ONCE, os.cpu_count() or 1)) as pool:
        try:
            measured = list(pool.map(measured_or_unreadable, pieces))
        except BaseException:
            audio.end_all()  # the runs of the other threads: the pool waits for them
            raise
    unreadable = [path for path, found in zip(pieces, measured) if found is None]
    for samples, digest in filter(None, measured):
        # Audio never decoded (no digest) counts as to be sent. The cache may still hold it, from
        # the same audio in another container or codec (or listed by another ffmpeg): its
        # conversion then decodes it, finds it and takes it for nothing. The estimate says a
        # little too much then, never too little.
        seconds = samples / audio.SAMPLE_RATE
        if (digest and not new_take_wanted()
                and kept.holds(result_key(digest, voice_id, mode, settings))):
            cached += seconds
        elif seconds >= SHORTEST_SPEECH_SECONDS:
            send += seconds
            if mode == "service" and not (digest and kept.holds(cache.key("isolated", digest))):
                isolate += seconds
    report = {"send_seconds": round(send, 3), "cached_seconds": round(cached, 3),
              "isolate_seconds": round(isolate, 3),
              "credits": service.credits_for(send) + service.credits_for(isolate),
              "unreadable": unreadable, "cache_folder": kept.folder, "cache_bytes": kept.usage(),
              "cache_limit_bytes": kept.limit}
    try:
        account = service.Service().subscription()
        report["credits_left"] = max(0, int(account.get("character_limit", 0))
                                     - int(account.get("character_count", 0)))
        report["renews_unix"] = account.get("next_character_count_reset_unix")
    except Failure as problem:
        report["account_problem"] = clean(problem)
    protocol.emit("estimate", **report)


def voices():
    protocol.emit("voices", voices=service.Service().voices())


def list_previews():
    protocol.emit("previews", voices=previews.listed())


def fetch_preview(argv):
    if len(argv) != 2:
        raise Failure("usage: convert.py --preview <voice id> <preview url>")
    path, downloaded = previews.fetch(*argv)
    say("%s the preview of voice %s: %s" % ("Downloaded" if downloaded else "Already kept",
                                             argv[0].strip(), path))
    protocol.emit("preview", voice_id=argv[0].strip(), path=path, downloaded=downloaded)


def main(argv):
    for stream in (sys.stdout, sys.stderr):
        if hasattr(stream, "reconfigure"):
            stream.reconfigure(errors="replace")
    stops.listen()
    status, problem = 1, Failure("interrupted before the piece was finished", "stopped")
    try:
        if argv[:1] == ["--estimate"]:
            estimate(argv[1:])
        elif argv[:1] == ["--voices"]:
            voices()
        elif argv[:1] == ["--previews"]:
            list_previews()
        elif argv[:1] == ["--preview"]:
            fetch_preview(argv[1:])
        else:
            wait_for_go = argv[:1] == ["--wait-for-go"]
            convert(argv[wait_for_go:], wait_for_go)
        return 0
    except service.Busy as busy:
        status, problem = EXIT_BUSY, busy
        message = "BUSY: %s%s" % (busy, "" if busy.retry_after is None
                                  else " (retry after %d s)" % busy.retry_after)
    except Failure as failure:
        problem, message = failure, "FAILED: %s" % failure
    except KeyboardInterrupt:
        message = "FAILED: %s" % problem
    except Exception as error:  # a fault in this script: still one line
        message = "FAILED: unexpected %s: %s" % (type(error).__name__, shorten(error, 200))
        problem = Failure(message)
    message = clean(message)
    print(message, file=sys.stderr, flush=True)
    protocol.emit("failure", kind=problem.kind, message=message,
                  retry_after=problem.retry_after,
                  possibly_charged=problem.possibly_charged
                  or any(remote.unkept for remote in SERVICES))
    return status
