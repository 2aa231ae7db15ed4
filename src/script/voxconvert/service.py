"""The ElevenLabs voice changer (speech-to-speech): the request, its answer, trying again."""

import http.client
import json
import os
import random
import re
import ssl
import time
import urllib.error
import urllib.parse
import urllib.request
import uuid

from .messages import Failure, hide, say, shorten

MODEL_ID = "eleven_multilingual_sts_v2"
OUTPUT_FORMAT = "mp3_44100_128"
DEFAULT_API_BASE = "https://api.elevenlabs.io"
KEY_VARIABLE = "elevenlabs_api_key"
SET_KEY_HINT = "set it with Tools > Set elevenlabs_api_key env var"
MAX_BACKOFF_SECONDS = 60.0

MIME_TYPES = {
    ".mp4": "audio/mp4", ".m4a": "audio/mp4", ".aac": "audio/aac", ".mp3": "audio/mpeg",
    ".wav": "audio/wav", ".flac": "audio/flac", ".ogg": "audio/ogg", ".opus": "audio/ogg",
    ".webm": "audio/webm", ".mkv": "audio/webm",
}


class Retryable(Exception):
    """A request that failed in a way worth trying again."""

    def __init__(self, kind, reason, retry_after=0.0):
        super().__init__(reason)
        self.kind = kind  # "busy", "timeout", "dropped" or "network"
        self.reason = reason
        self.retry_after = retry_after


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


def read_key():
    key = os.environ.get(KEY_VARIABLE, "").strip()
    if not key:
        raise Failure("no ElevenLabs key: the environment variable %s is not set; %s"
                      % (KEY_VARIABLE, SET_KEY_HINT))
    hide(key)
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


# ---------------------------------------------------------------------------------------------
# The request


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


# ---------------------------------------------------------------------------------------------
# What went wrong


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


# ---------------------------------------------------------------------------------------------
# Sending


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
