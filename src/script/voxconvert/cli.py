"""The command line: the conversion of one piece, the cost of a run, the speakers of a
recording and their turns laid back into it, the account's voices and the voices' previews.

    convert.py [--wait-for-go] <input> <output> <voice id>   converts one piece
    convert.py --estimate <voice id> [--transcribe <audio>] [@<voice id>] <piece>...
                                                             what a run would send and cost; an
                                                             @<voice id> is the voice of the
                                                             pieces after it; --transcribe: with
                                                             the speakers of <audio> found
    convert.py --speakers <audio> <answer.json>              who speaks when: the speech to
                                                             text's answer, asked once per audio
    convert.py --lay-turns <plan.json> <output>              converted turns laid back into the
                                                             original audio (see lay_turns)
    convert.py --voices                                      the account's own voices
    convert.py --previews                                    the voices that have a preview
    convert.py --preview <voice id> <preview url>            a preview's file, downloaded once

What the window reads comes as JSON objects on standard output (see protocol.py): "ready" and
"answered" around a piece's requests, then one "result" or "failure"; "estimate"; "voices";
"previews"; "preview". --speakers and --lay-turns end with a "result" or "failure" too.
People's words go to standard error.
"""

import contextlib
import hashlib
import json
import os
import sys

from . import audio, background, cache, previews, protocol, service, stops
from .messages import Failure, clean, plural, say, shorten
from .workfiles import TempFiles

# Shorter pieces carry no speech worth a request.
SHORTEST_SPEECH_SECONDS = 0.25

# ffmpeg runs that measure the pieces for the cost of a run at once, at most one per core.
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
    return checked_paths(input_path, output_path) + (voice_id,)


def checked_paths(input_path, output_path, what="input file"):
    """Both made absolute, once the input is found and the output's folder is."""
    if not os.path.isfile(input_path):
        raise Failure("%s not found: %s" % (what, input_path))
    output_path = os.path.abspath(output_path)
    if not os.path.isdir(os.path.dirname(output_path)):
        raise Failure("the output folder does not exist: %s" % os.path.dirname(output_path))
    return os.path.abspath(input_path), output_path


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
    # The offline voice takes nothing from the cache: no listing first, one decoding measures
    # its piece (and tells the cache's index, for a later run with the service), unless the
    # piece was listed before and its packets decoded before.
    samples, digest = (audio.known(input_path, kept) or audio.decode(ffmpeg, input_path, kept)
                       if offline else audio.measure(ffmpeg, input_path, kept))
    seconds = samples / audio.SAMPLE_RATE
    with TempFiles(output_path) as temps, contextlib.ExitStack() as claim:
        piece = temps.new(".part")
        if seconds < SHORTEST_SPEECH_SECONDS:
            # A sliver at the end of a split holds no speech; the service would refuse it or
            # bill a request for nothing. It stays silent at its exact length.
            say("%s is only %.2f s long: kept as silence" % (input_path, seconds))
            audio.encode_silence(ffmpeg, piece, samples)
            return deliver(temps, piece, output_path, seconds, "OK: wrote %s (%.2f s of silence)"
                           % (output_path, seconds))
        name = result_key(digest, voice_id, mode, settings)
        if not offline and not new_take_wanted():
            # Another run converting the same audio now: its answer, once kept, is this one's.
            claim.enter_context(kept.claimed(name, waiting=lambda: waiting_for(input_path)))
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
            audio.change_pitch(ffmpeg, voice, changed, samples, shift, kept)
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


def waiting_for(what):
    """Says, for the conversion's log too, that the piece waits for another run's answer."""
    text = "Another run is sending the same audio as %s: waiting to take its answer from the " \
           "cache" % what
    say(text)
    protocol.emit("waiting", message=clean(text))


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


def deliver(temps, piece, output_path, seconds, message, reused=False, credits=0, **more):
    """Moves the finished piece into place and reports it. A stop from here on comes too late:
    the piece is done."""
    stops.ignore()
    temps.move_into_place(piece, output_path)
    say(message)
    protocol.emit("result", ok=True, output=output_path, seconds=round(seconds, 3),
                  reused=reused, credits=credits, **more, message=clean(message))


def max_speakers():
    """The most speakers the speech to text is to tell apart (VOXSPLICE_MAX_SPEAKERS); None: as
    many as it finds."""
    raw = os.environ.get("VOXSPLICE_MAX_SPEAKERS", "").strip()
    if not raw:
        return None
    if not (raw.isascii() and raw.isdigit() and 1 <= int(raw) <= service.MAX_SPEAKERS):
        raise Failure("VOXSPLICE_MAX_SPEAKERS=%s is not a whole number from 1 to %d: fix or "
                      "unset it" % (shorten(raw, 40), service.MAX_SPEAKERS))
    return int(raw)


def speakers_key(digest, count):
    """What the speakers found in the audio depend on, for the cache."""
    return cache.key("speakers", digest, model=service.TRANSCRIBE_MODEL, granularity="word",
                     num_speakers=count)


def speakers_in(path):
    """How many speakers the words of a speech to text answer have; Failure when the file holds
    no such answer."""
    try:
        with open(path, "rb") as handle:
            answer = json.loads(handle.read().decode("utf-8"))
    except (OSError, ValueError):
        answer = None
    words = answer.get("words") if isinstance(answer, dict) else None
    if not isinstance(words, list):
        raise Failure("the speech to text answered something else than words with their "
                      "speakers; it may have charged for it; find the speakers again later")
    return len({str(word.get("speaker_id") or "speaker_0") for word in words
                if isinstance(word, dict) and word.get("type", "word") == "word"})


def find_speakers(argv):
    """Who speaks when in a recording: the speech to text's answer (its words with their times
    and speakers), written to a JSON file. Sent once per audio and count of speakers: the answer
    is kept in the cache like a converted piece."""
    if len(argv) != 2:
        raise Failure("usage: convert.py --speakers <audio> <answer.json>")
    if offline_voice_wanted():
        raise Failure("finding the speakers needs the voice service; load them from subtitles "
                      "(WebVTT with voice tags) instead")
    count = max_speakers()
    input_path, output_path = checked_paths(*argv)
    ffmpeg = audio.find_ffmpeg()
    kept = cache.Cache()
    samples, digest = audio.measure(ffmpeg, input_path, kept)
    seconds = samples / audio.SAMPLE_RATE
    name = speakers_key(digest, count)
    with TempFiles(output_path) as temps, kept.claimed(name, ".json",
                                                       lambda: waiting_for(input_path)):
        answer = temps.new(".part")
        if kept.fetch(name, answer, ".json"):
            found = speakers_in(answer)
            return deliver(temps, answer, output_path, seconds, "OK: reused the speakers of %s "
                           "from the cache (%s; nothing sent, no credits)"
                           % (input_path, plural(found, "speaker")), reused=True, speakers=found)
        remote = service.Service()
        SERVICES.append(remote)
        if seconds > service.TRANSCRIBE_MAX_SECONDS:
            raise Failure("%s is %.1f hours long; the speech to text takes at most %d hours"
                          % (input_path, seconds / 3600, service.TRANSCRIBE_MAX_SECONDS // 3600))
        say("Finding the speakers of %s (%.1f min) at the speech to text"
            % (input_path, seconds / 60))
        # Speech needs no more than this to be told apart (16 kHz, mono, 16 bits), and it is a
        # fraction of the upload.
        compact = temps.new(".flac")
        audio.run_ffmpeg(ffmpeg, ["-i", input_path, "-map", "0:a:0", "-vn", "-ac", "1", "-ar",
                                  "16000", "-sample_fmt", "s16", "-c:a", "flac", "-f", "flac",
                                  compact],
                         "ffmpeg failed to prepare %s for the speech to text" % input_path,
                         limit=audio.time_limit(samples))
        if os.path.getsize(compact) > service.TRANSCRIBE_MAX_BYTES:
            raise Failure("%s is too large for the speech to text even as 16 kHz mono FLAC"
                          % input_path)
        with open(answer, "wb") as sink:
            remote.transcribe(compact, sink, count)
        found = speakers_in(answer)
        if kept.store(name, answer, ".json"):
            remote.unkept = False
        credits = remote.paid * service.transcribe_credits(seconds)
        deliver(temps, answer, output_path, seconds, "OK: found %s in %s (wrote %s, about %d "
                "credits)" % (plural(found, "speaker"), input_path, output_path, credits),
                credits=credits, speakers=found)


def read_plan(path):
    """The original audio, the fade and the turns (audio.Turn) of a plan for lay_turns; Failure
    naming what is wrong with it, the turn where it is one."""
    try:
        with open(path, "rb") as handle:
            plan = json.loads(handle.read().decode("utf-8"))
    except OSError as error:
        raise Failure("cannot read the plan %s (%s)" % (path, error.strerror or error))
    except ValueError:
        raise Failure("the plan %s is not JSON" % path)

    def whole(value, least=0):
        return type(value) is int and value >= least

    if not isinstance(plan, dict) or not isinstance(plan.get("original"), str) \
            or not whole(plan.get("fade", 0)) or not isinstance(plan.get("turns"), list):
        raise Failure("the plan %s is not an object with original, fade (samples) and turns"
                      % path)
    if not os.path.isfile(plan["original"]):
        raise Failure("the original audio of the plan %s is not found: %s"
                      % (path, plan["original"]))
    turns, end = [], 0
    for number, turn in enumerate(plan["turns"], 1):
        if not isinstance(turn, dict) or not isinstance(turn.get("piece"), str) or not all(
                whole(turn.get(name)) for name in ("at", "from")) \
                or not whole(turn.get("length"), 1):
            raise Failure("turn %d of the plan %s is not an object with piece, at, from and "
                          "length (samples)" % (number, path))
        if not os.path.isfile(turn["piece"]):
            raise Failure("turn %d: piece not found: %s" % (number, turn["piece"]))
        if turn["from"] < end:
            raise Failure("turn %d (from sample %d) starts before the turn ahead of it ends "
                          "(sample %d): turns go in order and apart" % (number, turn["from"], end))
        end = turn["from"] + turn["length"]
        turns.append(audio.Turn(turn["piece"], turn["at"], turn["from"], turn["length"]))
    return plan["original"], plan.get("fade", 0), turns


def lay_turns(argv):
    """The original audio with the converted turns of a plan laid into it, written as a piece:

    {"original": <path>, "fade": <samples>, "turns": [{"piece": <converted piece>, "at": <its
     sample>, "from": <the original's sample>, "length": <samples>}, ...]}

    Outside the turns, the original's samples stay as they decode; inside, the piece's samples
    replace them, fading in and out over `fade` samples at either end (at most half the turn)."""
    if len(argv) != 2:
        raise Failure("usage: convert.py --lay-turns <plan.json> <output>")
    original, fade, turns = read_plan(argv[0])
    output_path = checked_paths(argv[0], argv[1], "plan")[1]
    ffmpeg = audio.find_ffmpeg()
    # Only for how long ffmpeg may take: at least the length, known without decoding.
    samples = audio.measure(ffmpeg, original, cache.Cache(), guess=True)[0]
    with TempFiles(output_path) as temps:
        laid = temps.new(".part")
        say("Laying %s into %s" % (plural(len(turns), "turn"), original))
        samples = audio.lay_turns(ffmpeg, original, turns, fade, laid, audio.time_limit(samples))
        stops.ignore()
        temps.move_into_place(laid, output_path)
    message = "OK: laid %s into %s" % (plural(len(turns), "turn"), output_path)
    say(message)
    protocol.emit("result", ok=True, output=output_path,
                  seconds=round(samples / audio.SAMPLE_RATE, 3), message=clean(message))


def estimate(argv):
    """What a run over `pieces` would send and cost, and what the account has left. Each piece
    goes to the voice given last before it (the first argument, or an @<voice id> among the
    pieces); with --transcribe <audio>, the speakers of the audio are to be found as well (an
    audio that cannot be read is named among the unreadable pieces). The pieces are measured by
    their packets (see audio.measure), several by one ffmpeg run (see audio.listed_groups)."""
    usage = ("usage: convert.py --estimate <voice id> [--transcribe <audio>] [--source <video>] "
             "<piece>|@<voice id>...")
    if len(argv) < 1:
        raise Failure(usage)
    voice_id, rest, pieces, options = argv[0].strip(), argv[1:], [], {}
    while rest[:1] in (["--transcribe"], ["--source"]):
        if len(rest) < 2:
            raise Failure(usage)
        options[rest[0]], rest = rest[1], rest[2:]
    transcribe, source = options.get("--transcribe"), options.get("--source")
    for word in rest:
        if word.startswith("@"):
            voice_id = word[1:].strip()
            if not voice_id:
                raise Failure("an empty voice id after @: give the voice of the pieces after it")
        else:
            pieces.append((word, voice_id))
    settings = voice_settings(offline_voice_wanted())
    mode = keep_background()
    count = max_speakers() if transcribe else None
    ffmpeg = audio.find_ffmpeg()
    kept = cache.Cache()
    send = cached = isolate = 0.0
    # The video whose cuts are noted is listed in the same ffmpeg run as its pieces.
    noted = source if source and os.environ.get("VOXSPLICE_CUTS") else None

    def measured_or_unreadable(group):
        found = []  # (what measure() says or None, the digest of the packets' listing)
        # A file listed before, unchanged since, is not listed again: a long video's cost is
        # told at once the next time.
        identities = [kept.identity(path) for path in group]
        known = [kept.listed(identity) for identity in identities]
        listings = iter(audio.listed_together(ffmpeg, [path for path, listed in zip(group, known)
                                                       if not listed], kept))
        for path, identity, remembered in zip(group, identities, known):
            if path is noted:  # its listing only: its cuts are noted by it
                listing = None if remembered else next(listings)
                length = listing and audio.packet_length(listing)
                listed = remembered[0] if remembered else listing and (
                    hashlib.sha256(listing).hexdigest())
                if length:
                    kept.note_listed(identity, listed, length)
                found.append((None, listed))
            elif remembered:
                found.append((audio.recalled(kept, *remembered), remembered[0]))
            else:
                listing = next(listings)
                try:
                    found.append((None if listing is None else
                                  audio.measure(ffmpeg, path, kept, guess=True, listing=listing,
                                                identity=identity),
                                  listing and hashlib.sha256(listing).hexdigest()))
                except Failure:  # named in the report; its conversion says why
                    found.append((None, hashlib.sha256(listing).hexdigest()))
        return found

    import concurrent.futures  # here: a piece's conversion starts faster without it

    paths = [path for path, _ in pieces] + ([transcribe] if transcribe else []) + (
        [noted] if noted else [])
    with concurrent.futures.ThreadPoolExecutor(min(MEASURED_AT_ONCE, os.cpu_count() or 1)) as pool:
        try:
            measured = [found for group in pool.map(measured_or_unreadable,
                                                    audio.listed_groups(paths)) for found in group]
        except BaseException:
            audio.end_all()  # the runs of the other threads: the pool waits for them
            raise
    source_listed = measured.pop()[1] if noted else None
    unreadable = [path for path, (found, _) in zip(paths, measured) if found is None]
    heard = measured.pop()[0] if transcribe else None
    cuts = os.environ.get("VOXSPLICE_CUTS", "")
    if source_listed and all(found for found, _ in measured):
        kept.note_cuts(source_listed, cuts, [(listed, found[0] / audio.SAMPLE_RATE)
                                             for found, listed in measured])
    for (found, listed), (_, voice_id) in zip(measured, pieces):
        if not found:
            continue
        # A whole video cut before the same way counts as the pieces it was cut into.
        parts = (not source and cuts and listed and kept.cuts(listed, cuts)) or [
            (found[1], found[0] / audio.SAMPLE_RATE)]
        for digest, seconds in parts:
            # Audio never decoded (no digest) counts as to be sent. The cache may still hold it,
            # from the same audio in another container or codec (or listed by another ffmpeg):
            # its conversion then decodes it, finds it and takes it for nothing. The estimate
            # says a little too much then, never too little.
            if (digest and not new_take_wanted()
                    and kept.holds(result_key(digest, voice_id, mode, settings))):
                cached += seconds
            elif seconds >= SHORTEST_SPEECH_SECONDS:
                send += seconds
                if mode == "service" and not (digest
                                              and kept.holds(cache.key("isolated", digest))):
                    isolate += seconds
    report = {"send_seconds": round(send, 3), "cached_seconds": round(cached, 3),
              "isolate_seconds": round(isolate, 3),
              "credits": service.credits_for(send) + service.credits_for(isolate),
              "unreadable": unreadable, "cache_folder": kept.folder, "cache_bytes": kept.usage(),
              "cache_limit_bytes": kept.limit}
    if transcribe:  # the same rule: audio never decoded has not been sent
        seconds = 0.0
        if heard and not (heard[1] and kept.holds(speakers_key(heard[1], count), ".json")):
            seconds = heard[0] / audio.SAMPLE_RATE
        report["transcribe_seconds"] = round(seconds, 3)
        report["transcribe_credits"] = service.transcribe_credits(seconds) if seconds else 0
        report["credits"] += report["transcribe_credits"]
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
        elif argv[:1] == ["--speakers"]:
            find_speakers(argv[1:])
        elif argv[:1] == ["--lay-turns"]:
            lay_turns(argv[1:])
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
