#!/usr/bin/env python3
"""Split an audio file into its voice and everything else, on this machine.

Usage: separate.py <input> <voice.wav> <background.wav>
       separate.py --check      whether it can run here
       separate.py --download   fetches the model's weights, telling how far it has come

Uses the Hybrid Demucs model of torchaudio (Debian's python3-torchaudio) trained for music
(vocals, drums, bass, other, at 44.1 kHz): the voice is the vocals, the background the sum of
the rest. The weights (about 320 MB) are fetched once, when the user agreed to; see the README
for their licence. Nothing is sent anywhere.

What the caller needs to know comes as JSON objects, one a line, on standard output ("check":
available, reason (why not, else null), weights, path; "progress" while downloading; then
"result" or "failure", as convert.py writes them); words for people go to standard error. Exit
status 0 on success, 1 on failure. SIGTERM (Ctrl+Break on Windows) ends it with the failure
kind "stopped", its ffmpeg ended and its temporary files (a partial download too) removed.
"""

import importlib
import importlib.util
import json
import os
import signal
import subprocess
import sys
import tempfile
import urllib.request
import wave

# The voxconvert package sits beside this script: its ffmpeg starts as convert.py's do, in a
# process group of its own and dying with this script.
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from voxconvert.audio import CHILD_OPTIONS, child_command  # noqa: E402

WEIGHTS_KEY = "models/hdemucs_high_trained.pt"
WEIGHTS_URL = "https://download.pytorch.org/torchaudio/" + WEIGHTS_KEY
RATE = 44100
SEGMENT_SECONDS = 10.0  # the model sees the audio in overlapping windows of this length
OVERLAP = 0.1
FFMPEG_TIME_LIMIT = 600  # seconds; decoding a piece takes a few
# Signals that ask the script to stop: a polite kill, and Ctrl+Break on Windows.
STOP_SIGNALS = [getattr(signal, name) for name in ("SIGTERM", "SIGBREAK") if hasattr(signal, name)]


class Stopped(BaseException):
    """A stop signal: unwinds past every `except Exception`, cleaning up on the way."""


def stop_on_signal(signum, frame):
    for stop in STOP_SIGNALS:
        signal.signal(stop, signal.SIG_IGN)  # a second signal must not cut the cleanup short
    raise Stopped("stopped (signal %d)" % signum)


def one_line(error, limit=300):
    return " ".join(str(error).split())[:limit]


def emit(type, **fields):
    sys.stdout.write(json.dumps(dict(type=type, **fields)) + "\n")
    sys.stdout.flush()


def tell(message, type="result", **fields):
    """A message for people (standard error) that the caller reads as an object too."""
    print(message, file=sys.stderr, flush=True)
    emit(type, message=message, **fields)


def weights_path():
    """Where torchaudio keeps the weights: torch.hub's folder, as torch itself finds it."""
    home = os.environ.get("TORCH_HOME") or os.path.join(
        os.environ.get("XDG_CACHE_HOME") or os.path.expanduser("~/.cache"), "torch")
    return os.path.join(home, "hub", "torchaudio", WEIGHTS_KEY)


def missing():
    """Why the separator cannot run here (torch, torchaudio or its model cannot be had), as a
    sentence for people; None when it can."""
    for name in ("torch", "torchaudio"):
        try:
            if importlib.util.find_spec(name) is None:
                return "python3-%s is not installed" % name
            importlib.import_module(name)
        except Exception as error:  # a missing library, a broken install, a wrong build
            return "importing %s failed: %s" % (name, one_line(error, 200))
    try:
        importlib.import_module("torchaudio.pipelines").HDEMUCS_HIGH_MUSDB_PLUS
    except Exception as error:
        return "this torchaudio has no Hybrid Demucs model (0.13 and later have): %s" \
            % one_line(error, 200)
    return None


def check():
    reason = missing()
    emit("check", available=reason is None, reason=reason,
         weights=os.path.isfile(weights_path()), path=weights_path())


def load_weights(path):
    """The weights as plain tensors: weights_only refuses a file that would run code when
    loaded, whatever the download brought."""
    import torch
    return torch.load(path, map_location="cpu", weights_only=True)


def download():
    if not importlib.util.find_spec("torch"):  # it checks the weights: say so before 320 MB
        raise RuntimeError("python3-torch is not installed; install it, then download again")
    target = weights_path()
    os.makedirs(os.path.dirname(target), exist_ok=True)
    handle, partial = tempfile.mkstemp(dir=os.path.dirname(target), suffix=".part")
    try:
        with os.fdopen(handle, "wb") as sink, \
                urllib.request.urlopen(WEIGHTS_URL, timeout=60) as answer:
            total, done, told = int(answer.headers.get("Content-Length") or 0), 0, -1
            if total <= 0:  # without it, a download cut short could not be told from a whole one
                raise OSError("the server did not say how large the weights are; try again later")
            for chunk in iter(lambda: answer.read(1 << 20), b""):
                sink.write(chunk)
                done += len(chunk)
                if done * 100 // total != told:
                    told = done * 100 // total
                    tell("downloaded %d of %d MB (%d%%)" % (done >> 20, total >> 20, told),
                         "progress", fraction=round(done / total, 4))
        if done != total:
            raise OSError("the download was cut short (%d of %d bytes); try again" % (done, total))
        try:
            load_weights(partial)
        except Exception as error:
            raise OSError("the downloaded file holds no usable weights (%s)" % error)
        os.replace(partial, target)
    finally:
        if os.path.exists(partial):
            os.remove(partial)
    tell("OK: the weights are in %s" % target, ok=True)


def read_wave(path):
    import torch
    with wave.open(path, "rb") as source:
        frames = source.readframes(source.getnframes())
    samples = torch.frombuffer(bytearray(frames), dtype=torch.int16).float() / 32768.0
    return samples.reshape(-1, 2).t()


def write_wave(path, audio):
    import torch
    data = (audio.clamp(-1, 1) * 32767).round().to(torch.int16).t().contiguous()
    with wave.open(path, "wb") as sink:
        sink.setnchannels(2)
        sink.setsampwidth(2)
        sink.setframerate(RATE)
        sink.writeframes(data.numpy().tobytes())


def separate(model, mixture):
    """The model's sources of a stereo mixture, window by window with cross-faded overlaps."""
    import torch
    length = mixture.shape[-1]
    size = int(SEGMENT_SECONDS * RATE)
    step = int(size * (1 - OVERLAP))
    fade = size - step
    reference = mixture.mean(0)
    mean, std = reference.mean(), reference.std() or 1.0
    normal = (mixture - mean) / std
    out = torch.zeros(len(model.sources), 2, length)
    weight = torch.zeros(length)
    ramp = torch.cat([torch.linspace(0, 1, fade), torch.ones(size - 2 * fade),
                      torch.linspace(1, 0, fade)]) if size > 2 * fade else torch.ones(size)
    with torch.no_grad():
        for start in range(0, max(1, length - fade), step):
            chunk = normal[:, start:start + size]
            sources = model(chunk.unsqueeze(0))[0]
            window = ramp[:chunk.shape[-1]]
            out[:, :, start:start + chunk.shape[-1]] += sources * window
            weight[start:start + chunk.shape[-1]] += window
    return out / weight.clamp(min=1e-6) * std + mean / len(model.sources)


def decode(source, target):
    """The first audio stream of `source` as a 16-bit stereo WAV at RATE."""
    try:
        # Ended however the run ends (a stop included) by subprocess.run.
        done = subprocess.run(child_command([
            os.environ.get("VOXSPLICE_FFMPEG") or find_ffmpeg(), "-nostdin", "-v", "error", "-y",
            "-i", source, "-map", "0:a:0", "-ac", "2", "-ar", str(RATE), "-c:a", "pcm_s16le",
            target]), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
            timeout=FFMPEG_TIME_LIMIT, **CHILD_OPTIONS)
    except subprocess.TimeoutExpired:
        raise RuntimeError("ffmpeg did not finish reading %s within %d s"
                           % (source, FFMPEG_TIME_LIMIT))
    if done.returncode != 0:
        lines = done.stderr.decode("utf-8", "replace").strip().splitlines()
        raise RuntimeError("ffmpeg cannot read %s (%s)" % (
            source, lines[-1] if lines else "exit status %d" % done.returncode))


def run(source, voice_path, background_path):
    from torchaudio.pipelines import HDEMUCS_HIGH_MUSDB_PLUS as bundle
    if not os.path.isfile(weights_path()):
        raise RuntimeError("the model's weights are not here yet: download them first")
    model = bundle._model_factory_func()
    model.load_state_dict(load_weights(weights_path()))
    model.eval()
    with tempfile.TemporaryDirectory() as folder:
        mixture_path = os.path.join(folder, "mixture.wav")
        decode(source, mixture_path)
        sources = dict(zip(model.sources, separate(model, read_wave(mixture_path))))
    write_wave(voice_path, sources["vocals"])
    write_wave(background_path, sum(sources[name] for name in model.sources if name != "vocals"))
    tell("OK: separated %s" % source, ok=True)


def find_ffmpeg():
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.join(here, "ffmpeg", "bin", "ffmpeg.exe" if os.name == "nt" else "ffmpeg")


def main(argv):
    for stop in STOP_SIGNALS:
        signal.signal(stop, stop_on_signal)
    try:
        if argv == ["--check"]:
            check()
        elif argv == ["--download"]:
            download()
        elif len(argv) == 3:
            run(*argv)
        else:
            raise RuntimeError("usage: separate.py <input> <voice.wav> <background.wav>")
        return 0
    except Stopped as stop:
        problem, kind = stop, "stopped"
    except Exception as error:  # one line, whatever went wrong
        problem, kind = error, "error"
    tell("FAILED: %s" % one_line(problem), "failure", kind=kind, retry_after=None,
         possibly_charged=False)
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
