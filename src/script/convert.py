#!/usr/bin/env python3
"""Give one audio segment another voice.

Usage: convert.py <input> <output> <voice id>

Sends the segment to the ElevenLabs voice changer (speech-to-speech) and writes the answer as
ALAC in MP4 with a fixed sample rate and channel count, trimmed or padded to the exact length of
the input, so that converted pieces join back together without drift. The key comes only from
the environment variable elevenlabs_api_key.

With VOXSPLICE_OFFLINE_VOICE=1 the voice is changed locally with ffmpeg instead (pitch and
formant shift); no key and no network are needed then.

On success prints a line starting with "OK" and exits 0. On failure prints one line saying what
went wrong and what to do, and exits 1.

Environment:
  elevenlabs_api_key            the ElevenLabs key
  ELEVENLABS_API_BASE           service address (default https://api.elevenlabs.io)
  VOXSPLICE_FFMPEG              ffmpeg to use instead of <this folder>/ffmpeg/bin/ffmpeg
  VOXSPLICE_OFFLINE_VOICE       1 = change the voice locally, without the service
  VOXSPLICE_HTTP_TIMEOUT        seconds to wait on the service per request (default 240)
  VOXSPLICE_MAX_TRIES           requests at most per segment (default 5)
  VOXSPLICE_RETRY_BASE_SECONDS  first wait before trying again; doubles each time (default 2)
  VOXSPLICE_RETRY_MAX_SECONDS   no new try starts later than this after the first (default 600)
"""

import hashlib
import http.client
import json
import os
import random
import re
import shutil
import signal
import ssl
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.parse
import urllib.request
import uuid

# Every converted piece has exactly this format, so the pieces join with a plain stream copy.
SAMPLE_RATE = 44100
CHANNELS = 2
CHANNEL_LAYOUT = "stereo"
SAMPLE_FORMAT = "s16p"
CODEC = "alac"
CONTAINER = "mp4"

MODEL_ID = "eleven_multilingual_sts_v2"
OUTPUT_FORMAT = "mp3_44100_128"
DEFAULT_API_BASE = "https://api.elevenlabs.io"
KEY_VARIABLE = "elevenlabs_api_key"
SET_KEY_HINT = "set it with Tools > Set elevenlabs_api_key env var"
MAX_BACKOFF_SECONDS = 60.0
# Shorter pieces carry no speech worth a request.
SHORTEST_SPEECH_SECONDS = 0.25

# Offline voice: semitones of pitch shift, picked from the voice id; never 0.
OFFLINE_SHIFTS = (-5, -4, -3, 3, 4, 5)

MIME_TYPES = {
    ".mp4": "audio/mp4", ".m4a": "audio/mp4", ".aac": "audio/aac", ".mp3": "audio/mpeg",
    ".wav": "audio/wav", ".flac": "audio/flac", ".ogg": "audio/ogg", ".opus": "audio/ogg",
    ".webm": "audio/webm", ".mkv": "audio/webm",
}

NO_WINDOW = {"creationflags": 0x08000000} if os.name == "nt" else {}  # CREATE_NO_WINDOW

_secrets = []  # text that must never be printed (the key)


class Failure(Exception):
    """Stops the conversion; the message is printed as the one failure line."""


class Retryable(Exception):
    """A request that failed in a way worth trying again."""

    def __init__(self, kind, reason, retry_after=0.0):
        super().__init__(reason)
        self.kind = kind  # "busy", "timeout", "dropped" or "network"
        self.reason = reason
        self.retry_after = retry_after


# ---------------------------------------------------------------------------------------------
# Output


def clean(text):
    """One line, without the key and without the capital pair that marks success."""
    for secret in _secrets:
        text = text.replace(secret, "[key hidden]")
    text = re.sub(r"[\r\n]+", " ", str(text)).strip()
    return text.replace("OK", "Ok")


def say(text):
    print(clean(text), flush=True)


def shorten(text, limit=300):
    text = " ".join(str(text).split())
    return text if len(text) <= limit else text[: limit - 3] + "..."


def plural(count, word):
    return "%d %s%s" % (count, word, "" if count == 1 else "s")


# ---------------------------------------------------------------------------------------------
# Settings


def env_number(name, default, minimum):
    raw = os.environ.get(name, "").strip()
    if not raw:
        return default
    try:
        value = type(default)(raw)
    except ValueError:
        raise Failure("%s=%s is not a valid number: fix or unset it" % (name, shorten(raw, 40)))
    if value < minimum:
        raise Failure("%s=%s is too small (at least %s): fix or unset it" % (name, raw, minimum))
    return value


class RetrySettings:
    def __init__(self):
        self.timeout = env_number("VOXSPLICE_HTTP_TIMEOUT", 240.0, 0.1)
        self.max_tries = env_number("VOXSPLICE_MAX_TRIES", 5, 1)
        self.base = env_number("VOXSPLICE_RETRY_BASE_SECONDS", 2.0, 0.0)
        self.window = env_number("VOXSPLICE_RETRY_MAX_SECONDS", 600.0, 0.0)

    def backoff(self, attempt, retry_after):
        wait = min(self.base * 2 ** (attempt - 1), MAX_BACKOFF_SECONDS)
        wait *= random.uniform(1.0, 1.25)  # spread out pieces that were refused together
        return max(wait, min(retry_after, MAX_BACKOFF_SECONDS))


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


def read_key():
    key = os.environ.get(KEY_VARIABLE, "").strip()
    if not key:
        raise Failure("no ElevenLabs key: the environment variable %s is not set; %s"
                      % (KEY_VARIABLE, SET_KEY_HINT))
    _secrets.append(key)
    if not all(32 < ord(c) < 127 for c in key):
        raise Failure("invalid key: %s holds spaces or characters that no key has; %s"
                      % (KEY_VARIABLE, SET_KEY_HINT))
    return key


def api_base():
    base = os.environ.get("ELEVENLABS_API_BASE", "").strip() or DEFAULT_API_BASE
    if not re.match(r"https?://[^/]", base):
        raise Failure("ELEVENLABS_API_BASE=%s is not an http(s) address: fix or unset it"
                      % shorten(base, 80))
    return base.rstrip("/")


def offline_voice_wanted():
    return os.environ.get("VOXSPLICE_OFFLINE_VOICE", "").strip() == "1"


# ---------------------------------------------------------------------------------------------
# ffmpeg


def find_ffmpeg():
    override = os.environ.get("VOXSPLICE_FFMPEG", "").strip()
    if override:
        path = override if os.path.dirname(override) else (shutil.which(override) or override)
        hint = "fix VOXSPLICE_FFMPEG or unset it"
    else:
        name = "ffmpeg.exe" if os.name == "nt" else "ffmpeg"
        here = os.path.dirname(os.path.abspath(__file__))
        path = os.path.join(here, "ffmpeg", "bin", name)
        hint = "install ffmpeg into the working folder (ffmpeg/bin next to convert.py)"
    if not os.path.isfile(path):
        raise Failure("ffmpeg not found at %s: %s" % (path, hint))
    return path


def run_ffmpeg(ffmpeg, args, what, capture=False):
    """Runs ffmpeg quietly, stdin closed; returns stdout if captured. Failure says `what`."""
    command = [ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y"] + args
    try:
        result = subprocess.run(command, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE if capture else subprocess.DEVNULL,
                                stderr=subprocess.PIPE, **NO_WINDOW)
    except OSError as error:
        raise Failure("ffmpeg failed to start (%s): %s; reinstall ffmpeg"
                      % (ffmpeg, error.strerror or error))
    if result.returncode != 0:
        lines = result.stderr.decode("utf-8", "replace").strip().splitlines()
        detail = lines[-1] if lines else "ffmpeg exit status %d" % result.returncode
        raise Failure("%s (%s)" % (what, shorten(detail)))
    return result.stdout


def count_samples(ffmpeg, path):
    """Length of the audio in samples at SAMPLE_RATE, measured by decoding it all."""
    pcm = run_ffmpeg(ffmpeg, ["-i", path, "-map", "0:a:0", "-vn", "-ac", "1",
                              "-ar", str(SAMPLE_RATE), "-c:a", "pcm_u8", "-f", "u8", "-"],
                     "bad input file %s: ffmpeg cannot read audio from it" % path, capture=True)
    if not pcm:
        raise Failure("bad input file %s: it holds no audio" % path)
    return len(pcm)


def has_rubberband(ffmpeg):
    listing = run_ffmpeg(ffmpeg, ["-filters"], "ffmpeg failed to list its filters", capture=True)
    return re.search(rb"^\s*\S+\s+rubberband\s", listing, re.MULTILINE) is not None


def encode_piece(ffmpeg, source, target, samples, voice_filter, what):
    """Writes `source` as the fixed output format, exactly `samples` long."""
    chain = [voice_filter] if voice_filter else []
    chain += ["aresample=%d" % SAMPLE_RATE,
              "aformat=sample_fmts=%s:sample_rates=%d:channel_layouts=%s"
              % (SAMPLE_FORMAT, SAMPLE_RATE, CHANNEL_LAYOUT),
              "apad=whole_len=%d" % samples,
              "atrim=end_sample=%d" % samples]
    run_ffmpeg(ffmpeg, ["-i", source, "-map", "0:a:0", "-vn", "-sn", "-dn",
                        "-map_metadata", "-1", "-af", ",".join(chain),
                        "-c:a", CODEC, "-ar", str(SAMPLE_RATE), "-ac", str(CHANNELS),
                        "-f", CONTAINER, target], what)


def encode_silence(ffmpeg, target, samples):
    """Writes silence in the fixed output format, exactly `samples` long."""
    run_ffmpeg(ffmpeg, ["-f", "lavfi", "-i", "anullsrc=r=%d:cl=%s" % (SAMPLE_RATE, CHANNEL_LAYOUT),
                        "-af", "atrim=end_sample=%d,aformat=sample_fmts=%s" % (samples, SAMPLE_FORMAT),
                        "-c:a", CODEC, "-ar", str(SAMPLE_RATE), "-ac", str(CHANNELS),
                        "-f", CONTAINER, target], "ffmpeg failed to write silence")


# ---------------------------------------------------------------------------------------------
# Offline voice


def offline_semitones(voice_id):
    digest = hashlib.sha256(voice_id.encode("utf-8")).digest()
    return OFFLINE_SHIFTS[digest[0] % len(OFFLINE_SHIFTS)]


def pitch_filter(semitones, rubberband):
    ratio = 2.0 ** (semitones / 12.0)
    if rubberband:
        return "rubberband=pitch=%.6f:formant=shifted:pitchq=quality" % ratio
    # Without rubberband: play faster (pitch and formants up), then stretch back to length.
    shifted = int(round(SAMPLE_RATE * ratio))
    return "aresample=%d,asetrate=%d,aresample=%d,atempo=%.6f" % (
        SAMPLE_RATE, shifted, SAMPLE_RATE, SAMPLE_RATE / shifted)


# ---------------------------------------------------------------------------------------------
# The voice service


def multipart_body(fields, file_field, file_name, file_type, data):
    boundary = "voxsplice-" + uuid.uuid4().hex
    parts = []
    for name, value in fields:
        parts.append(('--%s\r\nContent-Disposition: form-data; name="%s"\r\n\r\n%s\r\n'
                      % (boundary, name, value)).encode("utf-8"))
    parts.append(('--%s\r\nContent-Disposition: form-data; name="%s"; filename="%s"\r\n'
                  'Content-Type: %s\r\n\r\n' % (boundary, file_field, file_name, file_type))
                 .encode("utf-8") + data + b"\r\n")
    parts.append(("--%s--\r\n" % boundary).encode("utf-8"))
    return b"".join(parts), "multipart/form-data; boundary=" + boundary


def audio_upload(input_path):
    extension = os.path.splitext(input_path)[1].lower()
    if not re.fullmatch(r"\.[a-z0-9]{1,5}", extension):
        extension = ".mp4"
    try:
        with open(input_path, "rb") as handle:
            data = handle.read()
    except OSError as error:
        raise Failure("bad input file %s: cannot read it (%s)" % (input_path, error.strerror))
    return "segment" + extension, MIME_TYPES.get(extension, "audio/mp4"), data


def parse_error_body(body):
    """Returns (status, message) from the service's JSON error, or ("", text)."""
    text = body.decode("utf-8", "replace")
    try:
        detail = json.loads(text).get("detail")
    except (ValueError, AttributeError):
        return "", shorten(text, 200)
    if isinstance(detail, dict):
        status = detail.get("status") or detail.get("code") or ""
        return str(status), shorten(detail.get("message") or "", 200)
    if isinstance(detail, list):
        problems = []
        for item in detail:
            if isinstance(item, dict):
                where = ".".join(str(part) for part in item.get("loc") or [])
                problems.append("%s: %s" % (where, item.get("msg", "")) if where
                                else str(item.get("msg", "")))
        return "", shorten("; ".join(problems), 200)
    return "", shorten(detail if isinstance(detail, str) else text, 200)


def http_problem(error, voice_id):
    """Turns an HTTP error answer into a Retryable or a Failure."""
    try:
        body = error.read()
    except (http.client.HTTPException, OSError):
        body = b""
    status, message = parse_error_body(body)
    code = error.code
    said = " (%s)" % message if message else ""
    if code == 429 or code == 408 or code >= 500:
        try:
            retry_after = float(error.headers.get("Retry-After", "0"))
        except (TypeError, ValueError):
            retry_after = 0.0
        return Retryable("busy", ("HTTP %d %s" % (code, status)).strip(), retry_after)
    if code == 401 and status == "quota_exceeded":
        return Failure("quota exceeded: the ElevenLabs account has not enough credits left for "
                       "this piece%s; add credits or wait for the quota to renew, then run again"
                       % said)
    if code in (401, 403) and status == "missing_permissions":
        return Failure("the key may not use the voice changer%s: give it the speech-to-speech "
                       "permission on the ElevenLabs site, or %s" % (said, SET_KEY_HINT))
    if code == 401:
        return Failure("invalid key: the voice service rejected the key in %s%s; check the key and %s"
                       % (KEY_VARIABLE, said, SET_KEY_HINT))
    if code == 404:
        return Failure("voice not found: the voice service has no voice with the id %s%s; "
                       "pick another voice" % (voice_id, said))
    if code == 422:
        return Failure("the voice service refused the request as invalid%s; check that the "
                       "input holds speech under 5 minutes and that the voice id is right" % said)
    return Failure("the voice service refused the request (HTTP %d%s%s)"
                   % (code, " " + status if status else "", said))


def connection_problem(reason):
    """Turns a socket-level failure into a Retryable or a Failure."""
    if isinstance(reason, ssl.SSLCertVerificationError):
        return Failure("cannot verify the voice service's certificate (%s); check the system "
                       "date and certificates" % shorten(reason, 120))
    if isinstance(reason, str):
        return Failure("cannot send the request (%s); check ELEVENLABS_API_BASE" % reason)
    if isinstance(reason, TimeoutError) or "timed out" in str(reason):
        return Retryable("timeout", "no answer in time")
    if isinstance(reason, http.client.IncompleteRead):
        return Retryable("dropped", "answer cut short")
    if isinstance(reason, (ConnectionResetError, ConnectionAbortedError, BrokenPipeError,
                           http.client.HTTPException, ssl.SSLError)):
        return Retryable("dropped", shorten(reason, 120) or type(reason).__name__)
    return Retryable("network", shorten(getattr(reason, "strerror", None) or reason, 120))


def post_once(url, body, content_type, key, voice_id, timeout):
    request = urllib.request.Request(url, data=body, method="POST", headers={
        "xi-api-key": key, "Content-Type": content_type, "Accept": "audio/mpeg",
        "User-Agent": "voxsplice-convert/1"})
    try:
        with urllib.request.urlopen(request, timeout=timeout) as response:
            audio = response.read()
    except urllib.error.HTTPError as error:
        raise http_problem(error, voice_id)
    except urllib.error.URLError as error:
        raise connection_problem(error.reason)
    except (http.client.HTTPException, OSError) as error:
        raise connection_problem(error)
    if not audio:
        raise Retryable("dropped", "empty answer")
    return audio


def final_message(problem, tries, settings, base):
    count = "1 try" if tries == 1 else "%d tries" % tries
    if problem.kind == "busy":
        return ("the voice service is busy (%s) after %s; wait a few minutes and run the "
                "conversion again, or convert fewer pieces at once" % (problem.reason, count))
    if problem.kind == "timeout":
        return ("the voice service did not answer within %g s (%s); check the internet "
                "connection or try again later" % (settings.timeout, count))
    if problem.kind == "dropped":
        return ("the connection to the voice service kept breaking (%s) after %s; check the "
                "internet connection and try again" % (problem.reason, count))
    return ("network unreachable: cannot connect to the voice service at %s (%s) after %s; "
            "check the internet connection and proxy settings" % (base, problem.reason, count))


def convert_remote(base, input_path, voice_id, key, settings):
    """Sends the segment to the service, trying again on passing trouble; returns MP3 bytes."""
    url = "%s/v1/speech-to-speech/%s?output_format=%s" % (
        base, urllib.parse.quote(voice_id, safe=""), OUTPUT_FORMAT)
    file_name, file_type, data = audio_upload(input_path)
    body, content_type = multipart_body([("model_id", MODEL_ID)], "audio", file_name,
                                        file_type, data)
    started = time.monotonic()
    attempt = 0
    while True:
        attempt += 1
        try:
            return post_once(url, body, content_type, key, voice_id, settings.timeout)
        except Retryable as problem:
            last = problem
        wait = settings.backoff(attempt, last.retry_after)
        if attempt >= settings.max_tries or time.monotonic() - started + wait > settings.window:
            raise Failure(final_message(last, attempt, settings, base))
        say("voice service: %s; trying again in %.1f s (try %d of %d)"
            % (last.reason, wait, attempt + 1, settings.max_tries))
        time.sleep(wait)


# ---------------------------------------------------------------------------------------------
# Temporary files next to the output


def current_umask():
    mask = os.umask(0o022)
    os.umask(mask)
    return mask


class TempFiles:
    """Temporary files in the output's folder, all removed on exit unless kept."""

    def __init__(self, output_path):
        self.folder = os.path.dirname(output_path)
        self.prefix = "." + os.path.basename(output_path) + "."
        self.paths = []

    def new(self, suffix):
        try:
            handle, path = tempfile.mkstemp(prefix=self.prefix, suffix=suffix, dir=self.folder)
        except OSError as error:
            raise Failure("cannot write in the output folder %s (%s)"
                          % (self.folder, error.strerror))
        os.close(handle)
        os.chmod(path, 0o666 & ~current_umask())  # mkstemp makes it private; outputs are not
        self.paths.append(path)
        return path

    def move_into_place(self, path, target):
        try:
            os.replace(path, target)
        except OSError as error:
            raise Failure("cannot write %s (%s)" % (target, error.strerror))
        self.paths.remove(path)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        for path in self.paths:
            try:
                os.remove(path)
            except OSError:
                pass


# ---------------------------------------------------------------------------------------------
# Main


def convert(argv):
    input_path, output_path, voice_id = parse_arguments(argv)
    offline = offline_voice_wanted()
    key = None if offline else read_key()
    settings = None if offline else RetrySettings()
    base = None if offline else api_base()
    ffmpeg = find_ffmpeg()
    samples = count_samples(ffmpeg, input_path)
    seconds = samples / SAMPLE_RATE
    with TempFiles(output_path) as temps:
        if seconds < SHORTEST_SPEECH_SECONDS:
            # A sliver at the end of a split holds no speech; the service would refuse it or
            # bill a request for nothing. It stays silent at its exact length.
            say("%s is only %.2f s long: kept as silence" % (input_path, seconds))
            piece = temps.new(".part")
            encode_silence(ffmpeg, piece, samples)
            temps.move_into_place(piece, output_path)
            print("OK: wrote %s (%.2f s of silence)" % (output_path, seconds), flush=True)
            return
        if offline:
            shift = offline_semitones(voice_id)
            say("Changing the voice of %s (%.1f s) offline, %+d semitones"
                % (input_path, seconds, shift))
            source, voice_filter = input_path, pitch_filter(shift, has_rubberband(ffmpeg))
            what = "ffmpeg failed to change the voice"
        else:
            say("Converting %s (%.1f s) with voice %s" % (input_path, seconds, voice_id))
            audio = convert_remote(base, input_path, voice_id, key, settings)
            source, voice_filter = temps.new(".mp3"), ""
            with open(source, "wb") as handle:
                handle.write(audio)
            what = "the voice service answered with audio that ffmpeg cannot read"
        piece = temps.new(".part")
        encode_piece(ffmpeg, source, piece, samples, voice_filter, what)
        temps.move_into_place(piece, output_path)
    print("OK: wrote %s (%.1f s)" % (output_path, seconds), flush=True)


def stop_on_signal(signum, frame):
    raise Failure("stopped (signal %d) before the piece was finished" % signum)


def main(argv):
    for stream in (sys.stdout, sys.stderr):
        if hasattr(stream, "reconfigure"):
            stream.reconfigure(errors="replace")
    if hasattr(signal, "SIGTERM"):
        signal.signal(signal.SIGTERM, stop_on_signal)
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


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
