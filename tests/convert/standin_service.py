#!/usr/bin/env python3
"""A stand-in for the ElevenLabs voice service on 127.0.0.1, as strict as the real one.

The voice changer and the isolator (plain and /stream) check in order the key, its permission,
the requests in flight, the voice, output_format and plan, the form (FIELDS), the size, that
ffmpeg decodes the upload, its length and the credits left; then answer as queue() says, or,
`latency` s per second of audio after the upload, with MP3 (voice changer: a semitone up,
`length_error` s longer; isolator: the speech as it is; both the speech registered for the
upload, else all of it). Work done ("ok", "stall", "cut", and the gateway's GATEWAY answers
after it) costs
ceil(max(1, ceil(seconds - 0.05)) * 1000 / 60) credits, in the ledger (`requests`: time, method,
path, query, headers, fields, voice_id, seconds, audio_sha256, status, answer, charged). As a
program, with the KNOBS as options, it prints its URL and serves until killed or --lifetime s;
GET /_standin/ledger, POST /_standin/queue|set|clear|register_speech|register_transcript|release
(JSON) drive it; with hold_answers, work done is charged and its answer held until release()
(the ledger's `held` counts them). Every voice has a preview at /_standin/previews/<voice
id>.mp3 (a tone of its own; ?fraction= cuts it short), its downloads counted in the ledger's
`preview_downloads`; /v1/voices lists the 45 premade voices and the account's, /v2/voices the
account's alone.

The speech to text (POST /v1/speech-to-text) checks the key, its permission, its own requests at
once (TRANSCRIBING), the form (model_id required; a `file` alone, no source_url or
cloud_storage_url; TRANSCRIBE_FIELDS, any other field refused; diarization_threshold only with
diarize on and num_speakers unset), the file's type, size and length (TRANSCRIBE_LIMITS) and the
credits (the last file sent is `last_upload`); queue() answers it too. Work done costs
ceil(seconds * 10 / 60) credits, at least 1. It answers {language_code, language_probability,
text, words} with a "word" entry (text, start, end, speaker_id, logprob) for each word of the
transcript registered (register_transcript, for any upload; clear() drops it), else one
"word<n>" of speaker_0 a second, and "spacing" entries between them: without diarize every word
is speaker_0's; with num_speakers below the speakers registered, those beyond it speak as the
last one allowed; with timestamps_granularity none the entries have no times, with character
each word lists its characters."""

import argparse, array, email.utils, hashlib, json, math, os, pathlib, re, select, shutil
import subprocess, tempfile, threading, time, urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

PREMADE = re.findall(r'"(\w+), ([0-9A-Za-z]{20})"', pathlib.Path(__file__).resolve()
                     .parents[2].joinpath("src/core/Voices.cpp").read_text("utf-8"))  # name, id
VOICES = frozenset(voice_id for _, voice_id in PREMADE)
ACCOUNT_VOICES = [dict(zip(("voice_id", "name", "category"), voice.split("|"))) for voice in (
    "Uv3qKx8RmT2pLw9NcA5e|Narrator, calm|cloned", "Bq7Zt1YhWm4Rk6XsPd0L|Grandpa Joe|generated",
    'Lm2Nc8Vb5Xz1Qa7Sd3Fg|Ana "Studio" Ruiz|professional')]
PLANS = {"free": (2, 10_000), "starter": (3, 30_000), "creator": (5, 100_000),  # (concurrency,
         "pro": (10, 500_000), "scale": (15, 2_000_000), "business": (15, 11_000_000)}  # credits)
FORMATS = re.compile(r"(mp3_44100|opus_48000)_(32|64|96|128|192)|mp3_22050_32|mp3_24000_48|"
                     r"(pcm|wav)_(8000|16000|22050|24000|32000|44100|48000)|[au]law_8000")
FORMAT_PLANS = {"mp3_44100_192": "creator", "pcm_44100": "pro", "pcm_48000": "pro",
                "wav_44100": "pro", "wav_48000": "pro"}  # the lowest plan of each; else "free"
PERMISSIONS = frozenset(("speech_to_speech", "audio_isolation", "speech_to_text", "user_read",
                         "voices_read"))
LIMITS = {False: (50_000_000, 300), True: (500_000_000, 3600)}  # isolator?: (bytes, seconds)
TRANSCRIBING = {"free": 10, "starter": 15, "creator": 25, "pro": 50, "scale": 75,
                "business": 75}  # the speech to text's own requests at once
TRANSCRIBE_LIMITS = (3_000_000_000, 36_000)  # bytes, seconds
ERRORS = {  # name: (HTTP status, `type`, message)
    "needs_authorization": (401, "authentication_error", "No xi-api-key header received."),
    "invalid_api_key": (401, "authentication_error", "Invalid API key: {key}"),
    "missing_permissions": (401, "authorization_error", "The API key you used is missing the "
                            "permission {permission} to execute this operation."),
    "detected_unusual_activity": (401, "authorization_error", "Unusual activity detected."),
    "quota_exceeded": (401, "authorization_error", "This request exceeds your quota of {limit}. "
                       "You have {left} credits remaining, while {needed} credits are required "
                       "for this request."),
    "paid_plan_required": (402, "payment_required", "Free users cannot use library voices."),
    "output_format_not_allowed": (403, "forbidden", "{format} needs the {needs} plan or above."),
    "voice_not_found": (404, "not_found", "A voice with the voice_id {voice_id} was not found."),
    "voice_does_not_exist": (404, "not_found", "A voice with voice_id {voice_id} does not exist."),
    "invalid_parameters": (400, "validation_error", "Invalid parameters"),
    "file_too_large": (400, "validation_error",
                       "The audio file is {size} bytes; the limit is {max_bytes} bytes."),
    "max_duration_exceeded": (400, "validation_error",
                              "The audio is {seconds} s long; the limit is {max_seconds} s."),
    "concurrent_limit_exceeded": (429, "rate_limit_error", "Too many concurrent requests."),
    "rate_limit_exceeded": (429, "rate_limit_error", "You are sending requests too quickly."),
    "system_busy": (429, "service_unavailable", "The system is busy, please try again later."),
    "server_error": (500, "server_error", "Internal server error."),
    "service_unavailable": (503, "service_unavailable", "The service is temporarily unavailable.")}
GATEWAY = {"bad_gateway": 502, "gateway_timeout": 504}  # a gateway's page after the work: HTML
LEGACY = {"paid_plan_required": "payment_required", "server_error": "internal_server_error",
          "output_format_not_allowed": "subscription_required",
          "concurrent_limit_exceeded": "too_many_concurrent_requests"}  # the old `status`, if other
NEW_CODES = {"invalid_api_key": "unauthorized", "voice_does_not_exist": "voice_not_found"}
WORK = {"ok", "stall", "cut", *GATEWAY}  # answers given after the work is done and charged
ANSWERS = {"validation_error", *WORK, *ERRORS}  # what queue() takes, with:
OPTIONS = {"shape", "http", "message", "param", "retry_after", "retry_date", "fraction",
           "concurrency_headers"}  # see Handler.refuse(); fraction: how much "cut" sends
PITCH = "asetrate=46746,aresample=44100,atempo=%.6f," % (44100 / 46746)  # a semitone up
CHAIN = "aresample=44100,%sapad=pad_dur=%.3f,atrim=start=%.3f,asetpts=PTS-STARTPTS"  # +s, -s
MP3 = ("-ar", "44100", "-c:a", "libmp3lame", "-b:a", "128k", "-f", "mp3")
SETTINGS = {"stability": (0, 1), "similarity_boost": (0, 1), "style": (0, 1), "speed": (0.7, 1.2),
            "use_speaker_boost": None}  # voice_settings: each number's range; None: a bool


def valid_settings(text):
    try:
        settings = json.loads(text)
    except ValueError:
        return False
    return isinstance(settings, dict) and settings.keys() <= SETTINGS.keys() and all(
        type(value) is bool if SETTINGS[name] is None else type(value) in (int, float)
        and SETTINGS[name][0] <= value <= SETTINGS[name][1] for name, value in settings.items())


FIELDS = {  # form field: (pattern or test of its text, status of a refusal, the isolator's too?)
    "model_id": ("eleven_english_sts_v2|eleven_multilingual_sts_v2", 400, False),
    "voice_settings": (valid_settings, 422, False),  # a JSON object of SETTINGS
    "seed": (lambda text: text.isascii() and text.isdigit() and int(text) < 2 ** 32, 422, False),
    "remove_background_noise": ("true|false", 422, False),
    "file_format": ("other|pcm_s16le_16", 422, True)}


def number(text):
    try:
        return math.isfinite(float(text))
    except ValueError:
        return False


TRANSCRIBE_FIELDS = {  # form field: (pattern or test of its text, status of a refusal)
    "model_id": ("scribe_v1|scribe_v2", 400), "diarize": ("true|false", 422),
    "tag_audio_events": ("true|false", 422), "use_multi_channel": ("true|false", 422),
    "num_speakers": (lambda text: re.fullmatch("[0-9]{1,2}", text) and 1 <= int(text) <= 32, 422),
    "diarization_threshold": (number, 422), "timestamps_granularity": ("none|word|character", 422),
    "file_format": ("other|pcm_s16le_16", 422), "file": (lambda text: True, 422),
    **dict.fromkeys(("language_code", "seed", "temperature", "keyterms"), ("(?s).*", 422))}
SOURCES = ("file", "source_url", "cloud_storage_url")  # exactly one; this stand-in serves files


MADE = {}  # see run_ffmpeg()


class Refusal(Exception):
    """From check(): args (a name of ERRORS or "validation_error", options of Handler.refuse)."""


def check(ok, name, **options):
    if not ok:
        raise Refusal(name, options)


def parse_multipart(body, content_type):
    """{name: (filename or None, content type, bytes)}; empty if the body is not multipart."""
    match = re.match(r'(?i)multipart/form-data\s*;.*?boundary="?([^";]+)"?', content_type or "")
    sections = (b"\r\n" + body).split(b"\r\n--" + match[1].encode()) if match else [b"", b"--"]
    check(len(sections) > 1 and sections[-1].startswith(b"--"), "invalid_parameters",
          message="There was an error parsing the body: it does not end with its boundary")
    fields = {}
    for head, _, data in (section[2:].partition(b"\r\n\r\n") for section in sections[1:-1]):
        head = head.decode("utf-8", "replace")
        name = re.search(r'(?i)content-disposition:[^\r\n]*?\bname="([^"]*)"', head)
        filename = re.search(r'filename="([^"]*)"', head)
        kind = re.search(r"(?im)^content-type:\s*([^;\s]+)", head)
        if name:
            fields[name[1]] = (filename and filename[1], kind and kind[1].lower(), data)
    return fields


def run_ffmpeg(ffmpeg, data, raw, *options, also=None):
    """Runs ffmpeg on `data` (raw: mono 16 kHz s16le); what it wrote, None if it failed. A run
    made before is answered from memory while its output is small. With `also` (options of a
    second output), the same run writes that too, kept for the run_ffmpeg that asks for it."""
    key = hashlib.sha256(data).hexdigest(), raw, options
    if key in MADE:
        return MADE[key]
    outputs = [options] + ([tuple(also)] if also else [])
    with tempfile.TemporaryDirectory(prefix="standin-") as folder:
        source = pathlib.Path(folder, "in")
        targets = [pathlib.Path(folder, "out%d" % i) for i in range(len(outputs))]
        source.write_bytes(data)
        command = ([ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y"]
                   + ["-f", "s16le", "-ar", "16000", "-ac", "1"] * raw + ["-i", source])
        for output, target in zip(outputs, targets):
            command += ["-map", "0:a:0", "-ac", "1", *output, target]
        if subprocess.run(command, stdin=subprocess.DEVNULL,
                          capture_output=True).returncode != 0:
            return run_ffmpeg(ffmpeg, data, raw, *options) if also else None
        made = [target.read_bytes() for target in targets]
        if sum(map(len, made)) > 2_000_000 or len(MADE) > 32:
            MADE.clear()
        for output, result in zip(outputs, made):
            MADE[key[:2] + (output,)] = result
        return made[0]


def measure(ffmpeg, data, raw=False, also=None):
    """(seconds, sha256) of the decoded audio (mono 16 kHz s16le); None if undecodable. `also`:
    see run_ffmpeg."""
    audio = run_ffmpeg(ffmpeg, data, raw, "-ar", "16000", "-f", "s16le", also=also)
    return (len(audio) / 32000, hashlib.sha256(audio).hexdigest()) if audio else None


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    timeout = 30  # a client that stops sending mid-request is dropped
    ROUTES = [("POST", r"/v1/speech-to-speech/([^/]+)(/stream)?", "convert", "speech_to_speech"),
              ("POST", r"/v1/audio-isolation()(/stream)?", "convert", "audio_isolation"),
              ("POST", r"/v1/speech-to-text", "transcribe", "speech_to_text"),
              ("GET", r"/v1/user/subscription", "subscription", "user_read"),
              ("GET", r"/v[12]/voices", "voices", "voices_read")]

    def log_message(self, *args):
        pass

    def send(self, status, body, headers=None, stream=False, fraction=1.0):
        """JSON or audio; on /stream in five chunks; with `fraction` < 1, that much, hanging up."""
        if not isinstance(body, bytes):
            body, headers = json.dumps(body).encode(), {**(headers or {}),
                                                         "Content-Type": "application/json"}
        self.entry["status"] = status
        self.send_response(status)
        headers.update({"Transfer-Encoding": "chunked"} if stream else
                       {"Content-Length": len(body)})
        for name, value in headers.items():
            self.send_header(name, str(value))
        self.end_headers()
        end = int(len(body) * fraction)
        size = -(-len(body) // 5) if stream else len(body) or 1
        for start in range(0, end, size):
            piece = body[start:min(start + size, end)]
            self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece) if stream else piece)
            time.sleep(0.002 * stream)  # a moment apart
        self.wfile.write(b"0\r\n\r\n" if stream and end == len(body) else b"")
        self.close_connection = self.close_connection or end < len(body)

    def refuse(self, service, name, shape=None, http=None, message=None, param=None,
               retry_after=None, retry_date=None, loc=("body", "audio"), **context):
        """Sends a refusal, shaped "old" (detail: status, message) or "new"."""
        self.entry["answer"] = self.entry["answer"] or name
        headers = {} if retry_after is None else {"Retry-After": str(retry_after)}  # as given
        if retry_date is not None:  # seconds ahead, as a date
            headers["Retry-After"] = email.utils.formatdate(time.time() + retry_date, usegmt=True)
        if name == "concurrent_limit_exceeded" and context.get("concurrency_headers", True):
            limit = context.get("maximum", service.concurrency_limit)
            headers["maximum-concurrent-requests"] = limit
            headers["current-concurrent-requests"] = max(context.get("current", service.in_flight),
                                                         limit)
        if name == "validation_error":
            return self.send(http or 422, {"detail": [{"loc": list(loc), "msg": message or
                                                       "Field required", "type": "value_error"
                                                       if message else "missing"}]}, headers)
        default_http, kind, template = ERRORS[name]
        context = {"limit": service.credit_limit, **self.entry, **self.facts, **context,
                   "left": max(0, service.credit_limit - service.credits_used),
                   "key": self.headers.get("xi-api-key", "")}
        status, code = LEGACY.get(name, name), NEW_CODES.get(name, name)
        message = message or template.format(**context)
        detail = {"old": {"status": status, "message": message},
                  "new": {"type": kind, "code": code, "message": message, "param": param,
                          "request_id": os.urandom(16).hex(),
                          "status": status if status != code else kind}}[shape or service.shape]
        self.send(http or default_http, {"detail": detail}, headers)

    def do_GET(self):
        service, url = self.server, urllib.parse.urlsplit(self.path)
        body = self.rfile.read(int(self.headers.get("Content-Length") or 0))
        self.entry, self.facts = {}, {"needs": "pro"}
        if url.path.startswith("/_standin/"):
            return self.control(service, url.path[len("/_standin/"):], body)
        query = dict(urllib.parse.parse_qsl(url.query, keep_blank_values=True))
        self.entry = dict(dict.fromkeys(("voice_id", "seconds", "audio_sha256", "status",
                                         "answer")), time=round(time.time() - service.started, 3),
                          method=self.command, path=url.path, query=query, fields={}, charged=0,
                          headers={name.lower(): value for name, value in self.headers.items()})
        service.entries.append(self.entry)
        route = next((route for route in self.ROUTES if re.fullmatch(route[1], url.path)), None)
        try:
            if not route or route[0] != self.command:
                return self.send(404, {"detail": "Not Found"})
            key = self.headers.get("xi-api-key", "").strip()
            check(key == service.key, "invalid_api_key" if key else "needs_authorization")
            self.facts["permission"] = route[3]
            check(route[3] in service.permissions, "missing_permissions")
            getattr(self, route[2])(service, re.fullmatch(route[1], url.path), query, body)
        except Refusal as refusal:
            self.refuse(service, refusal.args[0], **refusal.args[1])
        except (ConnectionError, TimeoutError):
            self.close_connection = True

    do_POST = do_GET

    def convert(self, service, match, query, body):  # holding one of the requests in flight
        isolation, stream = not match[1], bool(match[2])
        output_format = self.facts["format"] = query.get("output_format", "mp3_44100_128")
        with service.lock:
            if service.in_flight >= service.concurrency_limit:
                service.refused_at_once.set()
            check(service.in_flight < service.concurrency_limit, "concurrent_limit_exceeded",
                  retry_after=service.busy_retry_after)
            service.in_flight += 1
            service.peak_in_flight = max(service.peak_in_flight, service.in_flight)
        try:
            if not isolation:
                voice_id = self.entry["voice_id"] = urllib.parse.unquote(match[1])
                check(voice_id in VOICES | {voice["voice_id"] for voice in service.voices},
                      "voice_not_found", http=400 if stream else 404)
                valid = FORMATS.fullmatch(output_format)
                check(valid and not (stream and output_format.startswith("wav")),
                      "invalid_parameters", param="output_format", message="output_format %r "
                      "is not valid%s" % (output_format, " for streaming" * bool(valid)))
                needs = FORMAT_PLANS.get(output_format, "free")
                check(list(PLANS).index(service.plan) >= list(PLANS).index(needs),
                      "output_format_not_allowed", needs=needs)
            self.answer(service, isolation, stream, parse_multipart(
                body, self.headers.get("Content-Type")))
        finally:
            with service.lock:
                service.in_flight -= 1

    def received(self, service, fields):
        """Notes the form in the ledger; the time it came."""
        if service.hold:  # no answer until one request was one too many at once
            service.refused_at_once.wait(60)
        self.entry["fields"] = {name: data.decode("utf-8", "replace") if filename is None else {
            "filename": filename, "content_type": kind, "size": len(data),
            "sha256": hashlib.sha256(data).hexdigest()} for name, (filename, kind, data)
            in fields.items()}
        return time.monotonic()

    def measured(self, service, data, raw, limits, answer=None):
        """The seconds of the upload `data`, checked against `limits` (bytes, seconds). The same
        ffmpeg run makes the `answer` (its options), when the answer is made of the upload."""
        self.facts.update(size=len(data), max_bytes=limits[0], max_seconds=limits[1])
        check(len(data) <= limits[0], "file_too_large")
        seconds, self.entry["audio_sha256"] = measure(service.ffmpeg, data, raw,
                                                      answer) or (0, None)
        check(seconds, "invalid_parameters", param="audio",
              message="could not decode the uploaded audio")
        self.entry["seconds"] = round(seconds, 3)
        check(seconds <= limits[1], "max_duration_exceeded")
        return seconds

    def answer(self, service, isolation, stream, fields):
        received = self.received(service, fields)
        filename, kind, data = fields.get("audio", (None, None, None))
        check(filename is not None, "validation_error",
              message=data and "Expected UploadFile, received: str")
        check(re.match(r"audio/|video/" if isolation else "audio/", kind or ""), "validation_error",
              message="the audio part needs an audio/* content type, not %s" % kind)
        for name, (filename, _, value) in fields.items():
            test, http, isolator = FIELDS.get(name, ("", 0, False))
            text = value.decode("utf-8", "replace")
            check(not test or isolation and not isolator or filename is None and (
                test(text) if callable(test) else re.fullmatch(test, text)),
                "validation_error" if http == 422 else "invalid_parameters", param=name,
                loc=("body", name), message="%r is not a valid %s" % (text[:100], name))
        raw = fields.get("file_format", (0, 0, b""))[2] == b"pcm_s16le_16"
        error = 0 if isolation else service.length_error
        pitch = PITCH if service.pitched and not isolation else ""
        answer = ("-af", CHAIN % (pitch, max(error, 0), max(-error, 0)),
                  *MP3)
        seconds = self.measured(service, data, raw, LIMITS[isolation], answer)
        cost = math.ceil(max(1, math.ceil(seconds - 0.05)) * 1000 / 60)

        def made():  # the voice alone, as the real service returns it: the speech registered
            voice = service.speech.get(self.entry["audio_sha256"])  # for the upload, if any
            return run_ffmpeg(service.ffmpeg, voice or data, raw and not voice, *answer)

        self.work(service, cost, received + service.latency * seconds, made, "audio/mpeg", stream)

    def transcribe(self, service, match, query, body):
        with service.lock:
            check(service.transcribing < service.transcribe_limit, "concurrent_limit_exceeded",
                  maximum=service.transcribe_limit, current=service.transcribing)
            service.transcribing += 1
        try:
            fields = parse_multipart(body, self.headers.get("Content-Type"))
            received = self.received(service, fields)
            text = {name: value.decode("utf-8", "replace") for name, (filename, _, value)
                    in fields.items() if filename is None}
            check("model_id" in fields, "validation_error", loc=("body", "model_id"))
            sources = [name for name in SOURCES if name in fields]
            check(sources == ["file"] and fields["file"][0] is not None, "validation_error",
                  loc=("body", "file"), message="exactly one of file, source_url or "
                  "cloud_storage_url, and here a file: got %s" % (sources or "none"))
            for name, value in ((name, text.get(name, "")) for name in fields):
                test, http = TRANSCRIBE_FIELDS.get(name, (None, 422))
                check(test and (test(value) if callable(test) else re.fullmatch(test, value)),
                      "validation_error" if http == 422 else "invalid_parameters", param=name,
                      loc=("body", name), message="%r is not a valid %s" % (value[:100], name)
                      if test else "Extra inputs are not permitted")
            check("diarization_threshold" not in text or text.get("diarize") == "true"
                  and "num_speakers" not in text, "validation_error",
                  loc=("body", "diarization_threshold"), message="diarization_threshold needs "
                  "diarize on and num_speakers unset")
            check(re.match(r"audio/|video/", fields["file"][1] or ""), "validation_error",
                  loc=("body", "file"), message="the file needs an audio or video content type")
            service.last_upload = fields["file"][2]
            seconds = self.measured(service, fields["file"][2],
                                    text.get("file_format") == "pcm_s16le_16", TRANSCRIBE_LIMITS)
            cost = max(1, math.ceil(seconds * 10 / 60))
            self.work(service, cost, received + service.latency * seconds, lambda: json.dumps(
                self.transcript(service, text, seconds)).encode(), "application/json", False)
        finally:
            with service.lock:
                service.transcribing -= 1

    @staticmethod
    def transcript(service, text, seconds):
        """The answer: the words registered (else one a second), their speakers as asked."""
        most = int(text.get("num_speakers", 32))
        granularity = text.get("timestamps_granularity", "word")
        words, speakers, entries = service.words or [
            [second, min(second + 0.5, seconds), "speaker_0", "word%d" % second]
            for second in range(math.ceil(seconds))], [], []
        for start, end, speaker, said in words:
            if text.get("diarize") != "true":
                speaker = "speaker_0"
            elif speaker not in speakers:
                if len(speakers) == most:
                    speaker = speakers[-1]
                else:
                    speakers.append(speaker)
            if entries:
                entries.append(dict(text=" ", start=entries[-1]["end"], end=start,
                                    type="spacing", speaker_id=speaker, logprob=0.0))
            entries.append(dict(text=said, start=start, end=end, type="word", speaker_id=speaker,
                                logprob=-0.1))
            if granularity == "character":
                step = (end - start) / len(said)
                entries[-1]["characters"] = [dict(text=c, start=start + i * step,
                                                  end=start + (i + 1) * step)
                                             for i, c in enumerate(said)]
        if granularity == "none":
            for entry in entries:
                del entry["start"], entry["end"]
        return {"language_code": text.get("language_code", "en"), "language_probability": 0.98,
                "text": " ".join(word[3] for word in words), "words": entries}

    def work(self, service, cost, due, make, content_type, stream):
        """Does the work of a request that passed its checks, as queue() says, charging `cost`
        credits; answers with what `make` makes, not before the time `due` (time.monotonic)."""
        self.facts["needed"] = cost
        with service.lock:
            check(service.credits_used + cost <= service.credit_limit, "quota_exceeded")
            name, options = service.answers.pop(0) if service.answers else ("ok", {})
        self.entry["answer"] = name
        check(name in WORK, name, **options)
        answer = make() if name in ("ok", "cut") else None
        if service.stopping.wait(max(0.0, due - time.monotonic())):
            return
        with service.lock:
            self.entry["charged"] = cost
            service.credits_used += cost
        if service.hold_answers:  # until released; stopping releases them all
            released = threading.Event()
            with service.lock:
                service.held.append(released)
            released.wait()
            if service.stopping.is_set():
                return
        if name == "stall":  # nothing sent until the client leaves or the service stops
            self.close_connection = True
            while not select.select([self.connection], [], [], 0)[0]:  # until the client goes
                if service.stopping.wait(0.05):
                    break
            return
        if name in GATEWAY:
            return self.send(GATEWAY[name], b"<html><head><title>%d %s</title></head><body>%s"
                             b"</body></html>" % (GATEWAY[name], name.encode(), name.encode()),
                             {"Content-Type": "text/html"})
        self.send(200, answer, {"Content-Type": content_type}, stream,
                  options.get("fraction", 0.5) if name == "cut" else 1.0)

    def subscription(self, service, match, query, body):
        self.send(200, {"tier": service.plan, "character_count": service.credits_used,
                        "character_limit": service.credit_limit,
                        "next_character_count_reset_unix": int(service.started) + 30 * 86400})

    def voices(self, service, match, query, body):
        voices = [{"preview_url": service.preview_url(voice["voice_id"]), **voice}
                  for voice in service.voices]
        if match[0].startswith("/v1/"):
            return self.send(200, {"voices": [
                dict(voice_id=voice_id, name=name, category="premade",
                     preview_url=service.preview_url(voice_id)) for name, voice_id in PREMADE]
                + voices})
        size, start = query.get("page_size", "10"), query.get("next_page_token", "0")
        check(re.fullmatch("[0-9]{1,3}", size) and 1 <= int(size) <= 100, "validation_error",
              loc=("query", "page_size"), message="Input should be an integer from 1 to 100")
        check(re.fullmatch("[0-9]{1,9}", start) and int(start) <= len(voices),
              "invalid_parameters", param="next_page_token", message="bad token %r" % start)
        end = int(start) + int(size)
        self.send(200, {"voices": voices[int(start):end], "has_more": end < len(voices),
                        "next_page_token": str(end) if end < len(voices) else None,
                        "total_count": None if query.get("include_total_count") == "false"
                        else len(voices)})

    def control(self, service, name, body):
        if (self.command, name) == ("GET", "ledger"):
            return self.send(200, service.ledger())
        preview = re.fullmatch(r"previews/([^/]+)\.mp3", name)
        voice_id = preview and urllib.parse.unquote(preview[1])
        if self.command == "GET" and voice_id in VOICES | {v["voice_id"] for v in service.voices}:
            query = dict(urllib.parse.parse_qsl(urllib.parse.urlsplit(self.path).query))
            return self.send(200, service.preview(voice_id), {"Content-Type": "audio/mpeg"},
                             fraction=float(query.get("fraction", 1)))
        if self.command != "POST" or name not in ("queue", "set", "clear", "register_speech",
                                                  "register_transcript", "release"):
            return self.send(404, {"detail": "Not Found"})
        try:
            arguments = json.loads(body or b"{}")
            for item in arguments if isinstance(arguments, list) else [arguments]:
                getattr(service, name)(**item)
        except (ValueError, TypeError, OSError) as error:
            return self.send(400, {"detail": str(error)})
        self.send(200, {"ok": True})


class StandinService(ThreadingHTTPServer):
    """The stand-in server; a context manager. Shuts itself down after `lifetime` seconds."""

    request_queue_size = 64  # many conversions connect at once
    KNOBS = {"key": "standin-key", "plan": "creator", "latency": 0.0, "concurrency": None,
             "credits": None, "credits_used": 0, "permissions": PERMISSIONS, "length_error": 0.0,
             "shape": "new", "voices": ACCOUNT_VOICES, "hold": False, "hold_answers": False,
             "pitched": True, "busy_retry_after": None}
    # concurrency, credits: None: the plan's; hold: no answer until a request was refused as one
    # too many at once; hold_answers: see release(); pitched: the new voice a semitone up (else
    # the speech comes back as it went, to the sample where it was); busy_retry_after: the
    # Retry-After (seconds) of a refusal as one too many at once, None for none
    requests = property(lambda self: list(self.entries))  # the ledger
    url = property(lambda self: "http://127.0.0.1:%d" % self.server_address[1])

    def __init__(self, lifetime=600.0, port=0, ffmpeg=None, **knobs):
        self.ffmpeg = ffmpeg or os.environ.get("VOXSPLICE_FFMPEG") or shutil.which("ffmpeg")
        if not self.ffmpeg:
            raise RuntimeError("ffmpeg not found: pass ffmpeg= or set VOXSPLICE_FFMPEG")
        self.lifetime, self.started, self.lock = lifetime, time.time(), threading.Lock()
        self.entries, self.answers, self.speech = [], [], {}  # the ledger, the queue
        self.words, self.last_upload = [], None  # the transcript registered, an upload
        self.transcribing = 0  # speech to text requests in flight
        self.previews, self.preview_downloads = {}, {}  # voice id: its MP3, downloads
        self.in_flight = self.peak_in_flight = 0
        self.stopping, self.serving = threading.Event(), False
        self.refused_at_once = threading.Event()
        self.held = []  # an event per answer held, in the order they came
        self.set(**{**self.KNOBS, **knobs})
        super().__init__(("127.0.0.1", port), Handler)

    def set(self, **knobs):
        if not set(knobs) <= set(self.KNOBS) or knobs.get("plan", "free") not in PLANS \
                or knobs.get("shape", "new") not in ("old", "new"):
            raise ValueError("unknown knob, plan or shape in %s" % knobs)
        with self.lock:
            for name, value in knobs.items():
                setattr(self, name, set(value) if name == "permissions"
                        else list(value) if name == "voices" else value)
            concurrency, credits = PLANS[self.plan]
            self.concurrency_limit = concurrency if self.concurrency is None else self.concurrency
            self.transcribe_limit = TRANSCRIBING[self.plan]
            self.credit_limit = credits if self.credits is None else self.credits

    def queue(self, answer, times=1, **options):
        """Has the next `times` requests that pass the checks answered "ok", "stall" (nothing),
        "cut" (a `fraction` (0.5) of the body), a GATEWAY page, "validation_error" or a refusal
        of ERRORS."""
        if answer not in ANSWERS or not OPTIONS.issuperset(options):
            raise ValueError("unknown answer %r or options %s" % (answer, sorted(options)))
        self.answers.extend([(answer, options)] * times)

    def release(self, count=None):
        """Sends the first `count` answers held (all when None): with hold_answers, the answer
        of each request that did the work waits, charged, until released."""
        with self.lock:
            going, self.held[:count] = self.held[:count], []
        for released in going:
            released.set()

    def register_speech(self, upload, speech):
        """The isolator answers the audio of the file `upload` with the file `speech`."""
        measured = measure(self.ffmpeg, pathlib.Path(upload).read_bytes())
        if not measured:
            raise ValueError("ffmpeg cannot decode %s" % upload)
        self.speech[measured[1]] = pathlib.Path(speech).read_bytes()

    def register_transcript(self, words):
        """The speech to text answers any upload with `words`: [[start, end, speaker, text]]
        (seconds, a label such as "speaker_0", the word)."""
        if not all(isinstance(word, list) and len(word) == 4 and all(
                type(at) in (int, float) for at in word[:2]) and word[0] <= word[1]
                and all(isinstance(name, str) and name for name in word[2:]) for word in words):
            raise ValueError("words are [start, end, speaker, text], not %s" % words)
        self.words = [list(word) for word in words]

    def charged_credits(self):
        return sum(entry["charged"] for entry in self.requests)

    def charges_per_audio(self):
        """{sha256 of the decoded audio: how many times it was charged}."""
        charged = [entry["audio_sha256"] for entry in self.requests if entry["charged"]]
        return {sha: charged.count(sha) for sha in charged}

    def clear(self):
        """Empties the ledger, the queue of answers and the transcript registered, and lets
        answers held go; the credits used stay."""
        self.release()
        with self.lock:
            self.entries.clear()
            self.answers.clear()
            self.words = []
            self.preview_downloads.clear()
            self.peak_in_flight = self.in_flight

    def preview_url(self, voice_id):
        return "%s/_standin/previews/%s.mp3" % (self.url, urllib.parse.quote(voice_id, safe=""))

    def preview(self, voice_id):
        """The voice's preview, counted: a second's tone of a pitch of its own, made once."""
        with self.lock:
            self.preview_downloads[voice_id] = self.preview_downloads.get(voice_id, 0) + 1
        if voice_id not in self.previews:
            pitch = 200 + int(hashlib.sha256(voice_id.encode()).hexdigest(), 16) % 600
            tone = array.array("h", (int(8000 * math.sin(2 * math.pi * pitch * i / 16000))
                                     for i in range(16000)))
            self.previews[voice_id] = run_ffmpeg(self.ffmpeg, tone.tobytes(), True, *MP3)
        return self.previews[voice_id]

    def ledger(self):
        return {"requests": self.requests, "charged_credits": self.charged_credits(),
                "charges_per_audio": self.charges_per_audio(), "credits_used": self.credits_used,
                "in_flight": self.in_flight, "peak_in_flight": self.peak_in_flight,
                "held": len(self.held),
                "preview_downloads": dict(self.preview_downloads),
                "queued": [dict(options, answer=name) for name, options in list(self.answers)]}

    def start(self):
        self.serving = True
        threading.Thread(target=self.serve_forever, args=(0.02,), daemon=True).start()
        threading.Thread(target=self.stop, args=(self.lifetime,), daemon=True).start()
        return self

    def stop(self, after=0.0):
        """Stops serving, at once or after `after` seconds (the lifetime) unless stopped by then."""
        if self.serving and not self.stopping.wait(after):
            self.stopping.set()
            self.release()
            self.shutdown()
            self.server_close()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    for flags, kind in (("port concurrency credits credits-used", int),
                        ("latency length-error lifetime", float), ("key plan shape ffmpeg", str),
                        ("permissions", lambda names: [name for name in names.split(",") if name])):
        for flag in flags.split():
            parser.add_argument("--" + flag, type=kind)
    for flag in ("--hold", "--hold-answers"):
        parser.add_argument(flag, action="store_true", default=None)
    args = {name: value for name, value in vars(parser.parse_args()).items() if value is not None}
    service = StandinService(**args).start()
    print(service.url, flush=True)
    service.stopping.wait()


if __name__ == "__main__":
    main()
