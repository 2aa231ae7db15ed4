"""The command line: arguments, the main flow, the one-line messages, exit status, signals."""

import os
import signal
import sys

from . import audio, service
from .messages import Failure, clean, plural, say, shorten
from .workfiles import TempFiles

# Shorter pieces carry no speech worth a request.
SHORTEST_SPEECH_SECONDS = 0.25

# Signals that ask the script to stop: a polite kill, and Ctrl+Break on Windows.
STOP_SIGNALS = [getattr(signal, name) for name in ("SIGTERM", "SIGBREAK") if hasattr(signal, name)]


def parse_arguments(argv):
    if len(argv) != 3:
        raise Failure("usage: convert.py <input> <output> <voice id> (got %s)"
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


def convert(argv):
    input_path, output_path, voice_id = parse_arguments(argv)
    offline = offline_voice_wanted()
    key = None if offline else service.read_key()
    settings = None if offline else service.RetrySettings()
    base = None if offline else service.api_base()
    ffmpeg = audio.find_ffmpeg()
    samples = audio.count_samples(ffmpeg, input_path)
    seconds = samples / audio.SAMPLE_RATE
    with TempFiles(output_path) as temps:
        if seconds < SHORTEST_SPEECH_SECONDS:
            # A sliver at the end of a split holds no speech; the service would refuse it or
            # bill a request for nothing. It stays silent at its exact length.
            say("%s is only %.2f s long: kept as silence" % (input_path, seconds))
            piece = temps.new(".part")
            audio.encode_silence(ffmpeg, piece, samples)
            temps.move_into_place(piece, output_path)
            print("OK: wrote %s (%.2f s of silence)" % (output_path, seconds), flush=True)
            return
        if offline:
            shift = audio.offline_semitones(voice_id)
            say("Changing the voice of %s (%.1f s) offline, %+d semitones"
                % (input_path, seconds, shift))
            source = input_path
            voice_filter = audio.pitch_filter(shift, audio.has_rubberband(ffmpeg))
            what = "ffmpeg failed to change the voice"
        else:
            say("Converting %s (%.1f s) with voice %s" % (input_path, seconds, voice_id))
            answer = service.convert_remote(base, input_path, voice_id, key, settings)
            source, voice_filter = temps.new(".mp3"), ""
            with open(source, "wb") as handle:
                handle.write(answer)
            what = "the voice service answered with audio that ffmpeg cannot read"
        piece = temps.new(".part")
        audio.encode_piece(ffmpeg, source, piece, samples, voice_filter, what)
        temps.move_into_place(piece, output_path)
    print("OK: wrote %s (%.1f s)" % (output_path, seconds), flush=True)


def stop_on_signal(signum, frame):
    """Unwinds the conversion: the running ffmpeg is ended and the temporary files removed on
    the way out (see audio.run_ffmpeg and TempFiles), then main prints the failure line."""
    for stop in STOP_SIGNALS:
        signal.signal(stop, signal.SIG_IGN)  # a second signal must not cut the cleanup short
    raise Failure("stopped (signal %d) before the piece was finished" % signum)


def main(argv):
    for stream in (sys.stdout, sys.stderr):
        if hasattr(stream, "reconfigure"):
            stream.reconfigure(errors="replace")
    for stop in STOP_SIGNALS:
        signal.signal(stop, stop_on_signal)
    try:
        convert(argv)
        return 0
    except Failure as failure:
        message = str(failure)
    except KeyboardInterrupt:
        message = "interrupted before the piece was finished"
    except Exception as error:  # a fault in this script: still one line
        message = "unexpected %s: %s" % (type(error).__name__, shorten(error, 200))
    print(clean("FAILED: " + message), file=sys.stderr, flush=True)
    return 1
