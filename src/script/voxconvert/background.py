"""Keeping the background: a piece split into its voice and everything else, and put together
again after the voice was changed.

The split runs either at the voice service's isolator, which returns the voice alone as MP3
(the background is then the piece minus that voice, aligned to the sample and scaled to fit),
or on this machine with the separator script beside convert.py (separate.py, which needs
python3-torchaudio and the weights of its model).
"""

import array
import json
import operator
import os
import subprocess
import sys
import tempfile

from . import audio, cache
from .messages import Failure

# The isolator's MP3 starts late by its decoder delay (and whatever the service adds): it is
# looked for up to this far, in seconds, either way.
LAG_SEARCH_SECONDS = 0.5
COARSE_RATE = 8000  # samples a second of the envelope's signal
HOP = 8  # samples of COARSE_RATE per envelope value (1 ms)
# How long the separator may take to end when asked: the model may be amid a window.
SEPARATOR_STOP_SECONDS = 10.0


def decoded(ffmpeg, paths, rates):
    """The first audio stream of each of `paths`, decoded to mono 16-bit samples at each of
    `rates`, all from one ffmpeg run: {(path, rate): samples}."""
    with tempfile.TemporaryDirectory(prefix="voxsplice-") as folder:
        args, targets = [], {}
        for path in paths:
            args += ["-i", path]
        for i, path in enumerate(paths):
            for rate in rates:
                targets[path, rate] = os.path.join(folder, "%d-%d.pcm" % (i, rate))
                args += ["-map", "%d:a:0" % i, "-ac", "1", "-ar", str(rate), "-c:a", "pcm_s16le",
                         "-f", "s16le", targets[path, rate]]
        audio.run_ffmpeg(ffmpeg, args, "ffmpeg cannot read %s" % " or ".join(paths))
        found = {}
        for key, target in targets.items():
            found[key] = array.array("h")
            with open(target, "rb") as handle:
                found[key].frombytes(handle.read())
        return found


def envelope(samples):
    return [sum(map(abs, samples[i:i + HOP])) for i in range(0, len(samples) - HOP, HOP)]


def best_lag(a, b, lags, start, length):
    """The lag of `b` against `a` (b[n + lag] matches a[n]) with the highest correlation over
    a[start:start + length]."""
    window = a[start:start + length]
    best, score = 0, None
    for lag in lags:
        if start + lag < 0 or start + lag + length > len(b):
            continue
        value = sum(map(operator.mul, window, b[start + lag:start + lag + length]))
        if score is None or value > score:
            best, score = lag, value
    return best


def loudest(samples, length):
    """Where the loudest stretch of `length` values starts (coarsely)."""
    step = max(1, length // 2)
    starts = range(0, max(1, len(samples) - length), step)
    return max(starts, key=lambda s: sum(map(abs, samples[s:s + length:4])), default=0)


def alignment(ffmpeg, original, voice):
    """(lag in samples at SAMPLE_RATE, gain): the isolated voice, `lag` samples late, times
    `gain` is the voice in the original."""
    rate = audio.SAMPLE_RATE
    samples = decoded(ffmpeg, [original, voice], [COARSE_RATE, rate])
    coarse_a = envelope(samples[original, COARSE_RATE])
    coarse_b = envelope(samples[voice, COARSE_RATE])
    reach = int(LAG_SEARCH_SECONDS * COARSE_RATE / HOP)
    length = min(len(coarse_a), 30 * COARSE_RATE // HOP)  # 30 s of envelope is plenty
    start = loudest(coarse_b, length) if len(coarse_b) > length else 0
    coarse = best_lag(coarse_a, coarse_b, range(-reach, reach + 1), start,
                      min(length, len(coarse_a) - start))
    fine_a, fine_b = samples[original, rate], samples[voice, rate]
    scale = rate * HOP // COARSE_RATE
    span = min(rate, len(fine_a) // 2)  # one second around the loudest part
    start = max(0, min(loudest(fine_b, span) if len(fine_b) > span else 0, len(fine_a) - span))
    around = coarse * scale
    lag = best_lag(fine_a, fine_b, range(around - 2 * scale, around + 2 * scale + 1), start, span)
    # The least-squares gain over the aligned signals.
    if lag >= 0:
        a, b = fine_a[:len(fine_b) - lag], fine_b[lag:]
    else:
        a, b = fine_a[-lag:], fine_b[:len(fine_a) + lag]
    length = min(len(a), len(b))
    energy = sum(map(operator.mul, b[:length], b[:length]))
    gain = sum(map(operator.mul, a[:length], b[:length])) / energy if energy else 0.0
    return lag, gain


def shift_filter(lag):
    """The filter that moves audio `lag` samples earlier (or later when negative)."""
    if lag > 0:
        return "atrim=start_sample=%d,asetpts=PTS-STARTPTS" % lag
    if lag < 0:
        return "adelay=delays=%dS:all=1" % -lag
    return "anull"


def split_by_isolator(ffmpeg, remote, kept, piece, digest, samples, temps):
    """(voice, background) of the piece through the voice service's isolator; its answer is
    kept, so that the same audio is isolated (and paid for) once."""
    name = cache.key("isolated", digest)
    isolated = temps.new(".isolated.mp4")
    with kept.claimed(name):  # another run isolating the same audio: its answer is this one's
        if not kept.fetch(name, isolated):
            answer = temps.new(".isolated.mp3")
            with open(answer, "wb") as sink:
                remote.isolate(piece, sink)
            audio.encode_piece(ffmpeg, answer, isolated, samples + int(LAG_SEARCH_SECONDS *
                                                                       audio.SAMPLE_RATE),
                               "", "the voice isolator answered with audio ffmpeg cannot read")
            if kept.store(name, isolated):
                remote.unkept = False
    lag, gain = alignment(ffmpeg, piece, isolated)
    voice, background = temps.new(".voice.mp4"), temps.new(".background.mp4")
    audio.encode_piece(ffmpeg, isolated, voice, samples, shift_filter(lag),
                       "ffmpeg failed to align the isolated voice")
    audio.mix_pieces(ffmpeg, piece, voice,
                     "[1:a]volume=%.6f[v];[0:a][v]amix=inputs=2:normalize=0:duration=first"
                     % -gain, background, samples, "ffmpeg failed to take the voice out")
    return voice, background


def split_locally(ffmpeg, piece, samples, temps):
    """(voice, background) of the piece through the separator script on this machine."""
    script = os.environ.get("VOXSPLICE_SEPARATOR") or os.path.join(
        os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "separate.py")
    voice_wav, background_wav = temps.new(".voice.wav"), temps.new(".background.wav")
    limit = separator_time_limit(samples)
    try:
        separator = subprocess.Popen(
            audio.child_command([sys.executable, script, piece, voice_wav, background_wav]),
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
            **audio.child_options())
    except OSError as error:
        raise Failure("the separator %s did not start: %s" % (script, error))
    with separator:
        try:
            output = separator.communicate(timeout=limit)[0]
        except subprocess.TimeoutExpired:
            raise Failure("the separator did not finish within %d s" % limit)
        finally:  # a stop included: asked first, it removes its own temporary files
            audio.end_child(separator, SEPARATOR_STOP_SECONDS)
    if separator.returncode != 0:
        said = [item.get("message") for item in objects(output)
                if item.get("type") == "failure"]
        raise Failure("the separator failed: %s" % (
            said[-1].replace("FAILED: ", "", 1) if said and said[-1]
            else "it ended with status %d and said nothing" % separator.returncode))
    voice, background = temps.new(".voice.mp4"), temps.new(".background.mp4")
    audio.encode_piece(ffmpeg, voice_wav, voice, samples, "", "the separator's voice is unreadable")
    audio.encode_piece(ffmpeg, background_wav, background, samples, "",
                       "the separator's background is unreadable")
    return voice, background


def separator_time_limit(samples):
    """How long the separator may take before it is taken for hung: it runs on the processor,
    at a few times the audio's length on a slow machine."""
    return audio.TIME_LIMIT_SECONDS + 20 * samples // audio.SAMPLE_RATE


def objects(output):
    """The JSON objects of a script's standard output, one a line; other lines are skipped."""
    found = []
    for line in output.splitlines():
        try:
            item = json.loads(line)
        except ValueError:
            continue
        if isinstance(item, dict):
            found.append(item)
    return found


def mix(ffmpeg, voice, background, target, samples):
    """The new voice over the background, which is lowered gently while the voice speaks;
    exactly `samples` long."""
    audio.mix_pieces(ffmpeg, voice, background,
                     "[0:a]aresample=%d,asplit=2[v1][v2];[1:a]aresample=%d[b];"
                     "[b][v1]sidechaincompress=threshold=0.05:ratio=3:attack=20:release=400[d];"
                     "[d][v2]amix=inputs=2:normalize=0:duration=longest"
                     % (audio.SAMPLE_RATE, audio.SAMPLE_RATE), target, samples,
                     "ffmpeg failed to lay the voice over the background")
