#!/usr/bin/env python3
"""A stand-in for the ElevenLabs voice service on 127.0.0.1, as strict as the real one.

POST /v1/speech-to-speech/{voice_id}[/stream] and /v1/audio-isolation[/stream] check in order:
  xi-api-key (none: 401 needs_authorization; wrong: 401 invalid_api_key, echoing the key); the
  key's permission speech_to_speech / audio_isolation (401 missing_permissions); requests in
  flight (over `concurrency`: 429 concurrent_limit_exceeded at once); the voice, one of
  Voices.cpp's or the account's `voices` (voice_not_found: 404, 400 on /stream); output_format
  in FORMATS, no wav_* on /stream (400 invalid_parameters), allowed on the plan (403
  output_format_not_allowed); a multipart file part `audio` typed audio/* (isolator: or
  video/*; else 422 with a list in "detail"); model_id, voice_settings (JSON object), seed,
  remove_background_noise, file_format (400 invalid_parameters or 422); size (over 50,000,000
  bytes, isolator 500,000,000: 400 file_too_large); ffmpeg decodes it (400 invalid_parameters
  "could not decode"); length (over 300 s, isolator 3600 s: 400 max_duration_exceeded); credits
  left (401 quota_exceeded). Then the next queued answer, else, `latency` seconds per second of
  audio later, 200 with the audio in the output format (voice changer: pitch raised,
  `length_error` seconds longer; isolator: MP3 of the speech registered for the upload, else of
  the upload): in five chunks on /stream, with Content-Length on the plain ones.
GET /v1/user/subscription needs user_read; GET /v2/voices (page_size, next_page_token,
  include_total_count, search, category) and GET /v1/voices need voices_read.
Charge: ceil(seconds - 0.05, at least 1) * 1000 / 60 credits, rounded up, once the work is done
  (success, "stall", "cut"); never for a refusal.

    with StandinService(key="K", plan="creator") as service:
        service.url; service.queue("rate_limit_exceeded", retry_after=2, times=2)
        service.set(plan="free", credits=1000, permissions={"speech_to_speech"})
        service.register_speech(upload_path, speech_path)   # the isolator's answer to it
        service.requests; service.charged_credits(); service.charges_per_audio()
        service.times_charged(sha); service.peak_in_flight; service.clear()
Queued answers (for the conversions and isolations that pass the checks, in order): "ok",
  "stall" (charge, then send nothing until the client leaves or the service stops), "cut"
  (charge, send the headers and `fraction` (0.5) of the body, hang up), "validation_error"
  (422), every name in ERRORS. Options: shape "old" (detail.status: the legacy string) or "new"
  (type, code, message, request_id, param, and status: the legacy string where it differs from
  code, as invalid_api_key for code unauthorized, else `type`), http, code, status, message,
  param, retry_after (seconds), retry_date (an HTTP date so many seconds ahead),
  concurrency_headers (True), body (text/html instead), fraction, times (requests it answers).
Knobs (constructor, set()): key, plan, latency, concurrency and credits (the period's limit;
  None: the plan's), credits_used, permissions, length_error, shape (of the checks' refusals:
  "new"), voices (the account's own). Constructor only: lifetime (600 s), port (0: any free),
  ffmpeg (else $VOXSPLICE_FFMPEG, else PATH).
Ledger entries (service.requests): time, method, path, query, headers (lower-case), fields (a
  file part as {filename, content_type, size, sha256 of its bytes}), voice_id, seconds,
  audio_sha256 (of the decoded mono 16 kHz s16le audio: the key of charges_per_audio() and
  register_speech()), status (None: nothing answered), answer, charged (credits). clear()
  empties the ledger and the queue.
As a program, printing its URL on the first line and exiting after --lifetime s or on SIGTERM:
    standin_service.py [--port 0] [--key K] [--plan creator] [--latency 0.1] [--concurrency 5]
        [--credits N] [--credits-used N] [--length-error S] [--permissions a,b] [--shape new]
        [--lifetime 600] [--ffmpeg PATH]
  GET /_standin/ledger: {requests, charged_credits, charges_per_audio, credits_used, in_flight,
  peak_in_flight, queued}; POST /_standin/queue, set, clear, register_speech: the keyword
  arguments as a JSON object (or a list of them).
"""

import argparse
import collections
import contextlib
import email.utils
import hashlib
import json
import math
import os
import re
import select
import shutil
import signal
import socket
import subprocess
import tempfile
import threading
import time
import urllib.parse
import uuid
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

HERE = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(HERE, "..", "..", "src", "core", "Voices.cpp"), encoding="utf-8") as code:
    VOICES = frozenset(re.findall(r'"\w+, ([0-9A-Za-z]{20})"', code.read()))  # the fixed 45
assert VOICES, "no voice ids found in src/core/Voices.cpp"
ACCOUNT_VOICES = [dict(zip(("voice_id", "name", "category", "labels", "description"), row))
                  for row in [("Uv3qKx8RmT2pLw9NcA5e", "Narrator, calm", "cloned",
                               {"accent": "british"}, "My own voice"),
                              ("Bq7Zt1YhWm4Rk6XsPd0L", "Grandpa Joe", "generated", {}, None),
                              ("Lm2Nc8Vb5Xz1Qa7Sd3Fg", 'Ana "Studio" Ruiz', "professional",
                               {"language": "es"}, "Spanish, warm")]]
PLANS = {"free": (2, 10_000), "starter": (3, 30_000), "creator": (5, 100_000),  # (concurrency,
         "pro": (10, 500_000), "scale": (15, 2_000_000), "business": (15, 11_000_000)}  # credits)
FORMATS = dict.fromkeys(["mp3_22050_32", "mp3_24000_48", "ulaw_8000", "alaw_8000"]
                        + ["%s_%d" % (kind, bits) for kind in ("mp3_44100", "opus_48000")
                           for bits in (32, 64, 96, 128, 192)]
                        + ["%s_%d" % (kind, rate) for kind in ("pcm", "wav")
                           for rate in (8000, 16000, 22050, 24000, 32000, 44100, 48000)], "free")
FORMATS.update(mp3_44100_192="creator", pcm_44100="pro", pcm_48000="pro", wav_44100="pro",
               wav_48000="pro")  # the lowest plan allowed each
ENCODERS = {"mp3": ["-c:a", "libmp3lame", "-f", "mp3"], "opus": ["-c:a", "libopus", "-f", "ogg"],
            "pcm": ["-f", "s16le"], "wav": ["-f", "wav"], "ulaw": ["-f", "mulaw"],
            "alaw": ["-f", "alaw"]}
CONTENT_TYPES = {"mp3": "audio/mpeg", "wav": "audio/wav", "opus": "audio/ogg"}
MODELS = ("eleven_english_sts_v2", "eleven_multilingual_sts_v2")
PERMISSIONS = frozenset("text_to_speech speech_to_speech speech_to_text audio_isolation "
                        "sound_generation dubbing user_read user_write voices_read voices_write "
                        "models_read history_read".split())
LIMITS = {False: (50_000_000, 300), True: (500_000_000, 3600)}  # isolator?: (bytes, seconds)

ERRORS = {  # name: (HTTP status, `type`, message)
    "needs_authorization": (401, "authentication_error", "No xi-api-key header received."),
    "invalid_api_key": (401, "authentication_error", "Invalid API key: {key}"),
    "missing_permissions": (401, "authorization_error", "The API key you used is missing the "
                            "permission {permission} to execute this operation."),
    "detected_unusual_activity": (401, "authorization_error",
                                  "Unusual activity detected. Free Tier usage disabled."),
    "quota_exceeded": (401, "authorization_error", "This request exceeds your quota of {limit}. "
                       "You have {left} credits remaining, while {needed} credits are required "
                       "for this request."),
    "paid_plan_required": (402, "payment_required", "Free users cannot use library voices."),
    "only_for_creator+": (403, "forbidden", "Only available for Creator tier and above."),
    "output_format_not_allowed": (403, "forbidden", "{format} needs the {needs} plan or above."),
    "voice_not_found": (404, "not_found", "A voice with the voice_id {voice_id} was not found."),
    "voice_does_not_exist": (404, "not_found", "A voice with voice_id {voice_id} does not exist."),
    "invalid_parameters": (400, "validation_error", "{detail}"),
    "file_too_large": (400, "validation_error",
                       "The audio file is {size} bytes; the limit is {max_bytes} bytes."),
    "max_duration_exceeded": (400, "validation_error",
                              "The audio is {seconds} s long; the limit is {max_seconds} s."),
    "concurrent_limit_exceeded": (429, "rate_limit_error", "Too many concurrent requests."),
    "rate_limit_exceeded": (429, "rate_limit_error", "You are sending requests too quickly."),
    "system_busy": (429, "service_unavailable", "The system is busy, please try again later."),
    "server_error": (500, "server_error", "Internal server error.")}
LEGACY = {"paid_plan_required": "payment_required", "server_error": "internal_server_error",
          "output_format_not_allowed": "subscription_required",
          "concurrent_limit_exceeded": "too_many_concurrent_requests"}  # the old `status`, if other
NEW_CODES = {"invalid_api_key": "unauthorized", "voice_does_not_exist": "voice_not_found"}
ANSWERS = frozenset(ERRORS) | {"ok", "stall", "cut", "validation_error"}
QUEUE_OPTIONS = {"shape", "http", "code", "status", "message", "param", "retry_after",
                 "retry_date", "concurrency_headers", "body", "fraction"}


class Refusal(Exception):
    """An error answer: a name of ERRORS or "validation_error", with options for its text."""

    def __init__(self, name, **options):
        super().__init__(name)
        self.name, self.options = name, options


class Context(dict):
    def __missing__(self, name):
        return "{%s}" % name


def error_answer(name, shape, context, http=None, code=None, status=None, message=None,
                 retry_after=None, retry_date=None, concurrency_headers=True, body=None,
                 param=None, loc=("body", "audio"), **_):
    """(HTTP status, JSON or text body, headers) of a refusal."""
    headers = {}
    if retry_after is not None:
        headers["Retry-After"] = "%d" % retry_after
    if retry_date is not None:
        headers["Retry-After"] = email.utils.formatdate(time.time() + retry_date, usegmt=True)
    if name == "concurrent_limit_exceeded" and concurrency_headers:
        headers.update({"current-concurrent-requests": str(max(context["in_flight"],
                                                               context["maximum"])),
                        "maximum-concurrent-requests": str(context["maximum"])})
    if name == "validation_error":
        return http or 422, body or {"detail": [{"loc": list(loc), "msg": message or "Field "
                                                 "required", "type": message and "value_error"
                                                 or "missing"}]}, headers
    default_http, kind, template = ERRORS[name]
    text, legacy = message or template.format_map(context), LEGACY.get(name, name)
    code = code or NEW_CODES.get(name, name)
    if body is None and shape == "old":
        body = {"detail": {"status": status or legacy, "message": text}}
    elif body is None:
        body = {"detail": {"type": kind, "code": code, "message": text, "param": param,
                           "request_id": uuid.uuid4().hex,
                           "status": status or (legacy if legacy != code else kind)}}
    return http or default_http, body, headers


def parse_multipart(body, content_type):
    """{name: (filename or None, content type, bytes)}; empty if the body is not multipart."""
    match = re.match(r'multipart/form-data\s*;.*?boundary="?([^";]+)"?', content_type or "",
                     re.I)
    sections = (b"\r\n" + body).split(b"\r\n--" + match.group(1).encode()) if match else []
    if match and (len(sections) < 2 or not sections[-1].startswith(b"--")):
        raise Refusal("invalid_parameters", detail="There was an error parsing the body: the "
                      "form does not end with its closing boundary")
    fields = {}
    for section in sections[1:-1]:
        head, _, data = section[2:].partition(b"\r\n\r\n")
        head = head.decode("utf-8", "replace")
        name = re.search(r'(?i)content-disposition:[^\r\n]*?\bname="([^"]*)"', head)
        filename = re.search(r'filename="([^"]*)"', head)
        kind = re.search(r"(?im)^content-type:\s*([^;\s]+)", head)
        if name:
            fields[name.group(1)] = (filename and filename.group(1),
                                     kind and kind.group(1).lower(), data)
    return fields


def ffmpeg_command(ffmpeg, source, raw):
    return ([ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y"]
            + ["-f", "s16le", "-ar", "16000", "-ac", "1"] * raw + ["-i", source, "-map", "0:a:0"])


def measure(ffmpeg, source, raw=False):
    """(seconds, sha256) of the decoded audio (mono 16 kHz s16le); None if undecodable."""
    digest, size = hashlib.sha256(), 0
    with subprocess.Popen(ffmpeg_command(ffmpeg, source, raw)
                          + ["-ac", "1", "-ar", "16000", "-f", "s16le", "pipe:1"],
                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.DEVNULL) as process:
        for chunk in iter(lambda: process.stdout.read(1 << 20), b""):
            digest.update(chunk)
            size += len(chunk)
    return (size / 32000, digest.hexdigest()) if process.returncode == 0 and size else None


def render(ffmpeg, source, raw, output_format, pitch, length_error, target):
    """`source` in `output_format`; the voice changer's answer has its pitch raised a semitone."""
    chain = ["aresample=44100"]
    if pitch:
        chain += ["asetrate=46746", "aresample=44100", "atempo=%.6f" % (44100 / 46746)]
    if length_error > 0:
        chain.append("apad=pad_dur=%.3f" % length_error)
    elif length_error < 0:
        chain += ["atrim=start=%.3f" % -length_error, "asetpts=PTS-STARTPTS"]
    kind, rate, *bits = output_format.split("_")
    subprocess.run(ffmpeg_command(ffmpeg, source, raw) + ["-af", ",".join(chain), "-ac", "1",
                                                          "-ar", rate] + ENCODERS[kind]
                   + [arg for bit in bits for arg in ("-b:a", bit + "k")] + [target],
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=True)
    with open(target, "rb") as handle:
        return handle.read()


def valid_settings(text):
    try:
        settings = json.loads(text)
    except ValueError:
        return False
    return isinstance(settings, dict) and all(
        isinstance(value, bool) if name == "use_speaker_boost" else
        type(value) in (int, float) and 0 <= value <= 1 if name in (
            "stability", "similarity_boost", "style") else True
        for name, value in settings.items())


FIELDS = {  # form field: (test of its text, status of the refusal, isolator's field too)
    "file_format": (lambda text: text in ("other", "pcm_s16le_16"), 422, True),
    "model_id": (lambda text: text in MODELS, 400, False),
    "seed": (lambda text: text.isascii() and text.isdigit() and int(text) < 2 ** 32, 422,
             False),
    "remove_background_noise": (lambda text: text.lower() in "true false 1 0 yes no on off"
                                .split(), 422, False),
    "voice_settings": (valid_settings, 400, False)}


def check_fields(fields, isolation):
    """Refuses wrongly typed or unknown values of the form fields as the service does."""
    for name, (filename, _, data) in fields.items():
        test, http, isolator = FIELDS.get(name, (None, 0, False))
        text = data.decode("utf-8", "replace")
        if test and (isolator or not isolation) and (filename is not None or not test(text)):
            message = "%r is not a valid %s" % (text[:100], name)
            raise (Refusal("validation_error", loc=("body", name), message=message) if http == 422
                   else Refusal("invalid_parameters", param=name, detail=message))


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    timeout = 30  # a client that stops sending mid-request is dropped
    ROUTES = [("POST", r"/v1/speech-to-speech/([^/]+)(/stream)?", "work", "speech_to_speech"),
              ("POST", r"/v1/audio-isolation()(/stream)?", "work", "audio_isolation"),
              ("GET", r"/v1/user/subscription", "subscription", "user_read"),
              ("GET", r"/v[12]/voices", "voices", "voices_read")]

    def log_message(self, *args):
        pass

    def do_GET(self):
        self.serve()

    do_POST = do_GET

    def send(self, status, body, headers=(), stream=False, fraction=1.0):
        """Sends a JSON, text or audio answer; with `fraction` < 1, that much, then hangs up."""
        if not isinstance(body, bytes):
            headers = dict(headers, **{"Content-Type": "text/html" if isinstance(body, str)
                                       else "application/json"})
            body = (body if isinstance(body, str) else json.dumps(body)).encode("utf-8")
        self.entry["status"] = status
        self.send_response(status)
        for name, value in dict(headers).items():
            self.send_header(name, value)
        self.send_header(*("Transfer-Encoding", "chunked") if stream
                         else ("Content-Length", str(len(body))))
        self.end_headers()
        end = int(len(body) * fraction)
        if not stream:
            self.wfile.write(body[:end])
        else:
            size = -(-len(body) // 5)  # five chunks, a moment apart
            for start in range(0, end, size):
                piece = body[start:min(start + size, end)]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
                time.sleep(0.02)
            if end == len(body):
                self.wfile.write(b"0\r\n\r\n")
        self.close_connection = self.close_connection or end < len(body)

    def serve(self):
        service = self.server.standin
        url = urllib.parse.urlsplit(self.path)
        body = self.rfile.read(int(self.headers.get("Content-Length") or 0))
        self.entry, self.facts = {}, {}
        if url.path.startswith("/_standin/"):
            return self.control(service, url.path[len("/_standin/"):], body)
        query = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True))
        self.entry = service.record({
            "method": self.command, "path": url.path, "query": query, "fields": {},
            "headers": {name.lower(): value for name, value in self.headers.items()},
            "voice_id": None, "seconds": None, "audio_sha256": None, "status": None,
            "answer": None, "charged": 0})
        try:
            route = next((r for r in self.ROUTES if re.fullmatch(r[1], url.path)), None)
            if not route or route[0] != self.command:
                return self.send(405 if route else 404, {"detail": "Method Not Allowed" if route
                                                         else "Not Found"})
            key = self.headers.get("xi-api-key", "").strip()
            if key != service.key:
                raise Refusal("invalid_api_key" if key else "needs_authorization")
            if route[3] not in service.permissions:
                raise Refusal("missing_permissions", permission=route[3])
            getattr(self, route[2])(service, re.fullmatch(route[1], url.path), query, body)
        except Refusal as refusal:
            options = dict(refusal.options)
            context = Context({**service.context(), "key": self.headers.get("xi-api-key", ""),
                               **self.entry, **self.facts, **options})
            self.entry["answer"] = self.entry["answer"] or refusal.name
            self.send(*error_answer(refusal.name, options.pop("shape", service.shape), context,
                                    **options))
        except (ConnectionError, TimeoutError):
            self.close_connection = True

    def work(self, service, match, query, body):
        """A conversion or an isolation, holding one of the requests in flight."""
        isolation, stream = not match.group(1), bool(match.group(2))
        output_format = "mp3_44100_128" if isolation else query.get("output_format",
                                                                     "mp3_44100_128")
        self.facts.update(format=output_format, permission="audio_isolation" if isolation
                          else "speech_to_speech")
        with service.slot():
            if not isolation:
                self.check_voice_and_format(service, match.group(1), stream, output_format)
            fields = parse_multipart(body, self.headers.get("Content-Type"))
            self.entry["fields"] = {
                name: data.decode("utf-8", "replace") if filename is None else {
                    "filename": filename, "content_type": kind, "size": len(data),
                    "sha256": hashlib.sha256(data).hexdigest()}
                for name, (filename, kind, data) in fields.items()}
            filename, kind, data = fields.get("audio", (None, None, None))
            if data is None or filename is None:
                raise Refusal("validation_error", message=data and "Expected UploadFile, "
                              "received: str")
            if not re.match(r"audio/|video/" if isolation else r"audio/", kind or ""):
                raise Refusal("validation_error", message="the audio part needs an audio/* "
                              "content type, not %s" % kind)
            check_fields(fields, isolation)
            self.facts.update(size=len(data), max_bytes=LIMITS[isolation][0],
                              max_seconds=LIMITS[isolation][1])
            if len(data) > LIMITS[isolation][0]:
                raise Refusal("file_too_large")
            with tempfile.TemporaryDirectory(prefix="standin-") as folder:
                source = os.path.join(folder, "upload")
                with open(source, "wb") as handle:
                    handle.write(data)
                raw = fields.get("file_format", (0, 0, b""))[2] == b"pcm_s16le_16"
                self.answer(service, isolation, source, raw, output_format, stream)

    def check_voice_and_format(self, service, voice_id, stream, output_format):
        voice_id = self.entry["voice_id"] = urllib.parse.unquote(voice_id)
        if voice_id not in VOICES | {voice["voice_id"] for voice in service.voices}:
            raise Refusal("voice_not_found", http=400 if stream else 404)
        if output_format not in FORMATS or stream and output_format.startswith("wav"):
            raise Refusal("invalid_parameters", param="output_format", detail=(
                "output_format %r is not valid%s" % (output_format, " for streaming"
                                                     * (output_format in FORMATS))))
        needs = FORMATS[output_format]
        if list(PLANS).index(service.plan) < list(PLANS).index(needs):
            raise Refusal("output_format_not_allowed", needs=needs)

    def answer(self, service, isolation, source, raw, output_format, stream):
        """Measures and charges the upload, then answers as the queue or success says."""
        measured = measure(service.ffmpeg, source, raw)
        if not measured:
            raise Refusal("invalid_parameters", param="audio",
                          detail="could not decode the uploaded audio")
        seconds, self.entry["audio_sha256"] = measured
        self.entry["seconds"] = round(seconds, 3)
        if seconds > LIMITS[isolation][1]:
            raise Refusal("max_duration_exceeded")
        cost = self.facts["needed"] = math.ceil(max(1, math.ceil(seconds - 0.05)) * 1000 / 60)
        if service.credits_used + cost > service.credit_limit:
            raise Refusal("quota_exceeded")
        answer, options = service.next_answer()
        self.entry["answer"] = answer
        if answer not in ("ok", "stall", "cut"):
            raise Refusal(answer, **options)
        if service.stopping.wait(service.latency * seconds):
            return
        speech = service.speech.get(self.entry["audio_sha256"]) if isolation else None
        audio = None if answer == "stall" else render(
            service.ffmpeg, speech or source, raw and not speech, output_format, not isolation,
            0 if isolation else service.length_error, source + ".answer")
        service.charge(self.entry, cost)
        if answer == "stall":  # until the client closes the connection or the service stops
            self.close_connection = True
            while not service.stopping.wait(0.05):
                if select.select([self.connection], [], [], 0)[0]:
                    with contextlib.suppress(OSError):
                        if self.connection.recv(1, socket.MSG_PEEK):
                            continue
                    return
            return
        headers = dict(service.concurrency_headers(), **{"request-id": uuid.uuid4().hex})
        headers["Content-Type"] = CONTENT_TYPES.get(output_format.split("_")[0],
                                                   "application/octet-stream")
        self.send(200, audio, headers, stream, options.get("fraction", 0.5) if answer == "cut"
                  else 1.0)

    def subscription(self, service, match, query, body):
        limit, paid = service.credit_limit, service.plan != "free"
        self.send(200, {"tier": service.plan, "character_count": service.credits_used,
                        "character_limit": limit, "status": "active",
                        "next_character_count_reset_unix": int(service.started) + 30 * 86400,
                        "can_extend_character_limit": paid,
                        "max_credit_limit_extension": limit if paid else 0})

    def voices(self, service, match, query, body):
        voices = [dict(voice, preview_url=None) for voice in service.voices
                  if query.get("search", "").lower() in voice["name"].lower()
                  and query.get("category", voice["category"]) == voice["category"]]
        if self.path.startswith("/v1/"):
            return self.send(200, {"voices": voices})
        size, start = query.get("page_size", "10"), query.get("next_page_token", "0")
        if not (size.isascii() and size.isdigit() and 1 <= int(size) <= 100):
            raise Refusal("validation_error", loc=("query", "page_size"),
                          message="Input should be an integer from 1 to 100")
        if not (start.isascii() and start.isdigit() and int(start) <= len(voices)):
            raise Refusal("invalid_parameters", param="next_page_token",
                          detail="next_page_token %r is not valid" % start)
        end = int(start) + int(size)
        self.send(200, {"voices": voices[int(start):end], "has_more": end < len(voices),
                        "next_page_token": str(end) if end < len(voices) else None,
                        "total_count": None if query.get("include_total_count") == "false"
                        else len(voices)})

    def control(self, service, name, body):
        if self.command == "GET" and name == "ledger":
            return self.send(200, service.ledger())
        if self.command != "POST" or name not in ("queue", "set", "clear", "register_speech"):
            return self.send(404, {"detail": "Not Found"})
        try:
            arguments = json.loads(body or b"{}")
            for item in arguments if isinstance(arguments, list) else [arguments]:
                getattr(service, name)(**item)
        except (ValueError, TypeError) as error:
            return self.send(400, {"detail": str(error)})
        self.send(200, {"ok": True})


class Server(ThreadingHTTPServer):
    request_queue_size = 64  # many conversions connect at once


class StandinService:
    """The stand-in server; a context manager. Shuts itself down after `lifetime` seconds."""

    KNOBS = ("key", "plan", "latency", "concurrency", "credits", "credits_used", "permissions",
             "length_error", "shape", "voices")
    KNOB_TESTS = {"plan": PLANS.__contains__, "shape": ("old", "new").__contains__,
                  "permissions": PERMISSIONS.issuperset}

    def __init__(self, key="standin-key", plan="creator", latency=0.0, concurrency=None,
                 credits=None, credits_used=0, permissions=PERMISSIONS, length_error=0.0,
                 shape="new", voices=ACCOUNT_VOICES, lifetime=600.0, port=0, ffmpeg=None):
        self.ffmpeg = ffmpeg or os.environ.get("VOXSPLICE_FFMPEG") or shutil.which("ffmpeg")
        self.lifetime, self.port, self.started = lifetime, port, time.time()
        self.stopping, self._lock = threading.Event(), threading.Lock()
        self._requests, self._queue, self.speech = [], collections.deque(), {}
        self.in_flight = self.peak_in_flight = 0
        self._server = None
        self.set(key=key, plan=plan, latency=latency, concurrency=concurrency, credits=credits,
                 credits_used=credits_used, permissions=permissions, length_error=length_error,
                 shape=shape, voices=voices)

    def set(self, **knobs):
        for name, value in knobs.items():
            if name not in self.KNOBS or not self.KNOB_TESTS.get(name, lambda value: True)(value):
                raise ValueError("knob %s=%r unknown or not allowed (knobs: %s; plans: %s; "
                                 "permissions: %s)" % (name, value, ", ".join(self.KNOBS),
                                                       ", ".join(PLANS), ", ".join(PERMISSIONS)))
            with self._lock:
                setattr(self, name, set(value) if name == "permissions"
                        else list(value) if name == "voices" else value)

    def queue(self, answer, times=1, **options):
        """Queues `answer` for the next `times` conversion or isolation requests."""
        unknown = set(options) - QUEUE_OPTIONS
        if answer not in ANSWERS or unknown or options.get("shape", "new") not in ("old", "new"):
            raise ValueError("answer %r, options %s or shape unknown; answers: %s"
                             % (answer, sorted(unknown), ", ".join(sorted(ANSWERS))))
        with self._lock:
            self._queue.extend([(answer, options)] * times)

    def next_answer(self):
        with self._lock:
            return self._queue.popleft() if self._queue else ("ok", {})

    def register_speech(self, upload, speech):
        """The isolator answers the audio of the file `upload` with the file `speech`."""
        measured = measure(self.ffmpeg, upload)
        if not measured:
            raise ValueError("ffmpeg cannot decode %s" % upload)
        with self._lock:
            self.speech[measured[1]] = speech

    @property
    def credit_limit(self):
        return PLANS[self.plan][1] if self.credits is None else self.credits

    @property
    def maximum_concurrency(self):
        return PLANS[self.plan][0] if self.concurrency is None else self.concurrency

    def concurrency_headers(self):
        return {"current-concurrent-requests": str(self.in_flight),
                "maximum-concurrent-requests": str(self.maximum_concurrency)}

    def context(self):
        """What error messages may name."""
        return {"limit": self.credit_limit, "left": max(0, self.credit_limit - self.credits_used),
                "in_flight": self.in_flight, "maximum": self.maximum_concurrency,
                "detail": "Invalid parameters", "needs": "pro"}

    @contextlib.contextmanager
    def slot(self):
        """Holds one of the requests in flight; refuses at once when all are taken."""
        with self._lock:
            if self.in_flight >= self.maximum_concurrency:
                raise Refusal("concurrent_limit_exceeded")
            self.in_flight += 1
            self.peak_in_flight = max(self.peak_in_flight, self.in_flight)
        try:
            yield
        finally:
            with self._lock:
                self.in_flight -= 1

    def record(self, entry):
        with self._lock:
            entry["time"] = round(time.time() - self.started, 3)
            self._requests.append(entry)
        return entry

    def charge(self, entry, credits):
        with self._lock:
            entry["charged"] = credits
            self.credits_used += credits

    @property
    def requests(self):
        with self._lock:
            return list(self._requests)

    def charged_credits(self):
        return sum(entry["charged"] for entry in self.requests)

    def charges_per_audio(self):
        """{sha256 of the decoded audio: how many times it was charged}."""
        return dict(collections.Counter(entry["audio_sha256"] for entry in self.requests
                                        if entry["charged"]))

    def times_charged(self, sha):
        return self.charges_per_audio().get(sha, 0)

    def clear(self):
        """Empties the ledger and the queue of answers; the credits used stay."""
        with self._lock:
            self._requests.clear()
            self._queue.clear()
            self.peak_in_flight = self.in_flight

    def ledger(self):
        with self._lock:
            requests = json.loads(json.dumps(self._requests))
            queued = [dict(options, answer=answer) for answer, options in self._queue]
        return {"requests": requests, "charged_credits": self.charged_credits(),
                "charges_per_audio": self.charges_per_audio(), "credits_used": self.credits_used,
                "in_flight": self.in_flight, "peak_in_flight": self.peak_in_flight,
                "queued": queued}

    @property
    def url(self):
        return "http://127.0.0.1:%d" % self._server.server_address[1]

    def start(self):
        if not self.ffmpeg:
            raise RuntimeError("ffmpeg not found: pass ffmpeg= or set VOXSPLICE_FFMPEG")
        self._server = Server(("127.0.0.1", self.port), Handler)
        self._server.standin = self
        threading.Thread(target=self._server.serve_forever, daemon=True).start()
        watchdog = threading.Timer(self.lifetime, self.stop)
        watchdog.daemon = True
        watchdog.start()
        return self

    def stop(self):
        with self._lock:
            if self.stopping.is_set() or not self._server:
                return
            self.stopping.set()
        self._server.shutdown()
        self._server.server_close()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


def main():
    parser = argparse.ArgumentParser(description="Stand-in for the ElevenLabs voice service; "
                                     "credits and concurrency default to the plan's.")
    for flag, kind, default in (
            ("port", int, 0), ("key", str, "standin-key"), ("plan", str, "creator"),
            ("latency", float, 0.0), ("concurrency", int, None), ("credits", int, None),
            ("credits-used", int, 0), ("length-error", float, 0.0), ("shape", str, "new"),
            ("permissions", str, ",".join(sorted(PERMISSIONS))), ("lifetime", float, 600.0),
            ("ffmpeg", str, None)):
        parser.add_argument("--" + flag, type=kind, default=default)
    args = vars(parser.parse_args())
    args["permissions"] = [name for name in args["permissions"].split(",") if name]
    try:
        service = StandinService(**args).start()
    except (ValueError, RuntimeError) as error:
        parser.error(str(error))
    for number in (signal.SIGTERM, signal.SIGINT):
        signal.signal(number, lambda *_: threading.Thread(target=service.stop).start())
    print(service.url, flush=True)
    service.stopping.wait()


if __name__ == "__main__":
    main()
