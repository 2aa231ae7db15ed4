"""The voice service: converting a piece, finding the speakers of a recording (speech to text),
the account's credits and its voices.

A request is sent again only where the service cannot have done the work: a connection that
failed before the request went out whole, a rate limit (429), or a server error (500, 503) that
the service itself answered with its own error. Once the request went out and no complete
answer came back, the service has usually done the work and billed it, so the piece ends with a
message saying so and waits for a later run; so does one answered by a gateway in between (502,
504, or any 5xx without the service's own error), which may have come after the work was done.
"""

import json
import math
import os
import random
import re
import time
import urllib.parse

from . import refusals, stops
from .messages import Failure, hide, say, shorten
from .transport import NoCompleteAnswer, NotSent, exchange

MODEL_ID = "eleven_multilingual_sts_v2"
OUTPUT_FORMAT = "mp3_44100_128"
DEFAULT_API_BASE = "https://api.elevenlabs.io"
LOOPBACK = ("127.0.0.1", "::1", "localhost")  # where the key may go over plain http
KEY_VARIABLE = "elevenlabs_api_key"
# What the service takes in one request.
MAX_SECONDS = 300.0
MAX_BYTES = 50 * 1000 * 1000
CREDITS_PER_MINUTE = 1000
MAX_WAIT_SECONDS = refusals.LONGEST_WAIT_SECONDS
# The speech to text, which finds who speaks when. It bills by the hour of audio, at a small
# fraction of the voice changer's price; its price in credits is not published, so this program
# reckons with a figure of its own.
TRANSCRIBE_MODEL = "scribe_v2"
TRANSCRIBE_CREDITS_PER_MINUTE = 10
TRANSCRIBE_MAX_SECONDS = 10 * 3600
TRANSCRIBE_MAX_BYTES = 3 * 1000 ** 3
MAX_SPEAKERS = 32  # the most the service tells apart
# Server errors that the service answers itself, with its own error, before doing the work.
SERVICE_SAID_NOT_DONE = (500, 503)

# The user's voice settings, as the window passes them: a JSON object of those set.
SETTINGS_VARIABLE = "VOXSPLICE_VOICE_SETTINGS"
# Each setting: its type, what it must be, and its range if it has one.
SETTINGS = {"model": (str, "a model id"), "stability": (float, "a number from 0 to 1", 0, 1),
            "similarity": (float, "a number from 0 to 1", 0, 1),
            "style": (float, "a number from 0 to 1", 0, 1),
            "speakerboost": (bool, "true or false"), "denoise": (bool, "true or false"),
            "seed": (int, "a whole number from 0 to 4294967295", 0, 4294967295)}
# The settings that go into the field voice_settings, under the service's names.
VOICE_SETTINGS = {"stability": "stability", "similarity": "similarity_boost", "style": "style",
                  "speakerboost": "use_speaker_boost"}
# A model's id goes into the form as it is: nothing that could break the form out.
MODEL_NAME = re.compile(r"[A-Za-z0-9_.-]{1,100}")

MIME_TYPES = {
    ".mp4": "audio/mp4", ".m4a": "audio/mp4", ".aac": "audio/aac", ".mp3": "audio/mpeg",
    ".wav": "audio/wav", ".flac": "audio/flac", ".ogg": "audio/ogg", ".opus": "audio/ogg",
    ".webm": "audio/webm", ".mkv": "audio/webm",
}


class Busy(Failure):
    """The account's limit of requests at once is reached: the caller runs the piece again once
    one of its own requests has ended."""

    def __init__(self, message, retry_after):
        super().__init__(message, "busy", retry_after)


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


def read_key():
    key = os.environ.get(KEY_VARIABLE, "").strip()
    if not key:
        raise Failure("no ElevenLabs key: the environment variable %s is not set; %s"
                      % (KEY_VARIABLE, refusals.SET_KEY_HINT))
    hide(key)
    if not all(32 < ord(c) < 127 for c in key):
        raise Failure("invalid key: %s holds spaces or characters that no key has; %s"
                      % (KEY_VARIABLE, refusals.SET_KEY_HINT))
    return key


def api_base():
    """The service's address. The key goes with every request, so it must be https, or http to
    this machine alone (a stand-in, a local proxy)."""
    base = os.environ.get("ELEVENLABS_API_BASE", "").strip() or DEFAULT_API_BASE
    try:
        address = urllib.parse.urlsplit(base)
        address.port  # a port that is no number fails here
    except ValueError:
        address = None
    if not address or address.scheme.lower() not in ("http", "https") or not address.hostname:
        raise Failure("ELEVENLABS_API_BASE=%s is not an http(s) address: fix or unset it"
                      % shorten(base, 80))
    if address.scheme.lower() == "http" and address.hostname not in LOOPBACK:
        raise Failure("the service address %s is not https; the key would travel unencrypted: "
                      "fix or unset ELEVENLABS_API_BASE" % shorten(base, 80))
    return base.rstrip("/")


def voice_settings():
    """The settings of VOXSPLICE_VOICE_SETTINGS that are set, checked and normalised (numbers to
    6 decimals, a whole seed as an int): {name: value}; empty when none is."""
    raw = os.environ.get(SETTINGS_VARIABLE, "").strip()
    if not raw:
        return {}

    def refuse(problem):
        return Failure("%s %s: fix the voice settings" % (SETTINGS_VARIABLE, problem))

    try:
        given = json.loads(raw)
    except ValueError:
        raise refuse("is not JSON (%s)" % shorten(raw, 60))
    if not isinstance(given, dict):
        raise refuse("is not a JSON object (%s)" % shorten(raw, 60))
    settings = {}
    for name, value in given.items():
        if name not in SETTINGS:
            raise refuse("has the unknown key %s (known: %s)"
                         % (json.dumps(shorten(name, 40)), ", ".join(SETTINGS)))
        kind, wanted, *limits = SETTINGS[name]
        number = type(value) in (int, float) and abs(value) < 1e300  # not NaN nor infinite
        if kind is int and number and float(value).is_integer():
            value = int(value)  # 7.0 is the seed 7
        elif kind is float and number:
            value = round(float(value), 6)  # 1 and 1.0 are the same setting
        if type(value) is not kind or limits and not limits[0] <= value <= limits[1] \
                or kind is str and not MODEL_NAME.fullmatch(value):
            raise refuse("has %s %s, not %s" % (name, shorten(json.dumps(given[name]), 40),
                                                wanted))
        settings[name] = value
    return settings


def request_fields(settings):
    """The form fields of a conversion besides its audio, as the service names them: only what
    is set, and the model (ours when none is set)."""
    fields = {"model_id": settings.get("model", MODEL_ID)}
    voice = {VOICE_SETTINGS[name]: value for name, value in settings.items()
             if name in VOICE_SETTINGS}
    if voice:
        fields["voice_settings"] = json.dumps(voice, sort_keys=True)
    if "seed" in settings:
        fields["seed"] = str(settings["seed"])
    if "denoise" in settings:
        fields["remove_background_noise"] = "true" if settings["denoise"] else "false"
    return fields


def credits_for(seconds):
    """What the service bills for `seconds` of audio, by duration."""
    return int(round(seconds / 60.0 * CREDITS_PER_MINUTE))


def transcribe_credits(seconds):
    """What this program reckons the speech to text bills for `seconds` of audio."""
    return max(1, math.ceil(seconds * TRANSCRIBE_CREDITS_PER_MINUTE / 60.0))


class Form:
    """A multipart form, its file (if any) read from disk each time the form goes out: the
    recording of a long video is never held in memory whole, not even for a second try."""

    def __init__(self, fields, file_field=None, file_name=None, path=None, file_type=None):
        boundary = "voxsplice-" + os.urandom(16).hex()
        parts = [('--%s\r\nContent-Disposition: form-data; name="%s"\r\n\r\n%s\r\n'
                  % (boundary, name, value)).encode("utf-8") for name, value in fields]
        if path:
            parts.append(('--%s\r\nContent-Disposition: form-data; name="%s"; filename="%s"\r\n'
                          'Content-Type: %s\r\n\r\n' % (boundary, file_field, file_name,
                                                        file_type)).encode("utf-8"))
        self.head, self.path = b"".join(parts), path
        self.tail = ("%s--%s--\r\n" % ("\r\n" if path else "", boundary)).encode("utf-8")
        self.length = len(self.head) + (os.path.getsize(path) if path else 0) + len(self.tail)
        self.content_type = "multipart/form-data; boundary=" + boundary

    def __iter__(self):
        yield self.head
        if self.path:
            with open(self.path, "rb") as handle:
                yield from iter(lambda: handle.read(1 << 20), b"")
        yield self.tail


# A request's work as its failures name it: what went out, what the service may have done with
# it, what to do later, and what its answer holds.
CONVERTING = ("the piece", "the voice service may have converted it",
              "run the conversion again later for the pieces that are left", "audio")
TRANSCRIBING = ("the audio", "the speech to text may have transcribed it",
                "find the speakers again later", "transcript")


def possibly_charged(problem, work=CONVERTING):
    return Failure("%s after %s was sent: %s and charged for it, so it is not sent again now; %s"
                   % (problem, work[0], work[1], work[2]), "possibly_charged")


class Service:
    """The voice service for one piece. `gate`, when given, is called once before the first
    request goes out (it may wait, or raise to stop); from then on a stop waits for the piece
    (see stops). `paid` counts the complete answers; `unkept` is true from one until the caller
    has kept what it made of it."""

    def __init__(self, gate=None):
        self.gate, self.paid, self.unkept = gate, 0, False
        self.key = read_key()
        self.base = api_base()
        self.timeout = env_number("VOXSPLICE_HTTP_TIMEOUT", 240.0, 0.1)
        self.max_tries = env_number("VOXSPLICE_MAX_TRIES", 3, 1)
        self.first_wait = env_number("VOXSPLICE_RETRY_BASE_SECONDS", 1.0, 0.0)
        self.window = env_number("VOXSPLICE_RETRY_MAX_SECONDS", 300.0, 0.0)

    def headers(self, **extra):
        return dict({"xi-api-key": self.key, "User-Agent": "voxsplice-convert/2"}, **extra)

    def get_json(self, path, query=None):
        """A GET answered with JSON; a refusal raises Failure with what to do."""
        if query:
            path += "?" + urllib.parse.urlencode(query)
        try:
            answer = exchange(self.base, "GET", path, self.headers(Accept="application/json"),
                              timeout=min(self.timeout, 30.0))
        except (NotSent, NoCompleteAnswer) as problem:
            raise Failure("cannot reach the voice service at %s (%s)" % (self.base, problem))
        if answer.status != 200:
            refusal = refusals.read(answer.status, answer.headers, answer.body)
            raise Failure(refusal.explain(), refusal.kind)
        try:
            return json.loads(answer.body.decode("utf-8"))
        except ValueError:
            raise Failure("the voice service answered %s with no JSON" % path)

    def convert(self, source, voice_id, sink, settings=None):
        """The voice of the audio file `source` changed, with the voice settings `settings` (see
        voice_settings); the answer (MP3) is written to the open file `sink` as it arrives."""
        path = "/v1/speech-to-speech/%s/stream?%s" % (
            urllib.parse.quote(voice_id, safe=""), urllib.parse.urlencode(
                {"output_format": OUTPUT_FORMAT}))
        fields = list(request_fields(settings or {}).items())
        self.post(path, self.upload(source, fields), sink, voice_id)

    def isolate(self, source, sink):
        """The voice of the audio file `source` alone, without music and sounds (MP3)."""
        self.post("/v1/audio-isolation/stream", self.upload(source, []), sink, "")

    def transcribe(self, source, sink, speakers=None):
        """The words of the audio file `source` (FLAC), each with its times and speaker, as the
        speech to text answers them (JSON), written to the open file `sink`. `speakers`: the
        most speakers to tell apart, None to let the service decide."""
        fields = [("model_id", TRANSCRIBE_MODEL), ("diarize", "true"),
                  ("timestamps_granularity", "word"), ("tag_audio_events", "false")]
        if speakers:
            fields.append(("num_speakers", str(speakers)))
        self.post("/v1/speech-to-text", Form(fields, "file", "audio.flac", source, "audio/flac"),
                  sink, "", "application/json", TRANSCRIBING)

    @staticmethod
    def upload(source, fields):
        extension = os.path.splitext(source)[1].lower()
        return Form(fields, "audio", "piece" + extension, source,
                    MIME_TYPES.get(extension, "audio/mp4"))

    def post(self, path, form, sink, voice_id, accept="audio/mpeg", work=CONVERTING):
        headers = self.headers(**{"Content-Type": form.content_type, "Accept": accept,
                                  "Content-Length": str(form.length)})
        if self.gate:
            self.gate, gate = None, self.gate
            gate()
        stops.commit()
        started = time.monotonic()
        for attempt in range(1, self.max_tries + 1):
            sink.seek(0)
            sink.truncate()
            try:
                answer = exchange(self.base, "POST", path, headers, form, self.timeout, sink)
            except NotSent as problem:
                reason = "cannot reach the voice service at %s (%s)" % (self.base, problem)
                wait, kind = None, "error"
            except NoCompleteAnswer as problem:
                raise possibly_charged(problem, work)
            else:
                if 200 <= answer.status < 300:
                    if sink.tell() == 0:
                        raise Failure("the voice service answered with no %s; it may have "
                                      "charged for it; %s" % (work[3], work[2]),
                                      "possibly_charged")
                    self.paid += 1
                    self.unkept = True
                    return
                refusal = refusals.read(answer.status, answer.headers, answer.body)
                if answer.status >= 500 and not (answer.status in SERVICE_SAID_NOT_DONE
                                                 and refusal.own):
                    raise possibly_charged("an HTTP %d answer that did not come from the voice "
                                           "service itself" % answer.status, work)
                if refusal.kind == "concurrency":
                    raise Busy(refusal.explain(voice_id), refusal.retry_after)
                if refusal.kind not in refusals.PASSING:
                    raise Failure(refusal.explain(voice_id), refusal.kind, refusal.retry_after)
                reason, wait = refusal.explain(voice_id), refusal.retry_after
                kind = refusal.kind
            pause = self.pause(attempt, wait)
            if attempt == self.max_tries or time.monotonic() - started + pause > self.window:
                raise Failure("%s (after %d tries)" % (reason, attempt), kind, wait)
            say("voice service: %s; trying again in %.1f s (try %d of %d)"
                % (reason, pause, attempt + 1, self.max_tries))
            if self.unkept:  # an earlier answer of the piece is not kept yet: a stop waits
                time.sleep(pause)
            else:
                stops.wait_between_tries(pause)

    def pause(self, attempt, retry_after):
        """The wait before the next try: what the service asked for, else doubling steps with a
        little spread, so that pieces refused together do not come back together."""
        if retry_after is not None:
            return min(retry_after, MAX_WAIT_SECONDS)
        wait = min(self.first_wait * 2 ** (attempt - 1), MAX_WAIT_SECONDS)
        return wait * random.uniform(1.0, 1.25)

    def subscription(self):
        return self.get_json("/v1/user/subscription")

    def voices(self):
        """The account's voices, every page: voice_id, name, category and preview_url (None
        where the service gives none)."""
        found, token = [], None
        while True:
            query = {"page_size": 100, "include_total_count": "false"}
            if token:
                query["next_page_token"] = token
            page = self.get_json("/v2/voices", query)
            for voice in page.get("voices") or []:
                if isinstance(voice, dict) and voice.get("voice_id"):
                    found.append({"voice_id": str(voice["voice_id"]),
                                  "name": str(voice.get("name") or ""),
                                  "category": str(voice.get("category") or ""),
                                  "preview_url": str(voice["preview_url"])
                                  if voice.get("preview_url") else None})
            token = page.get("next_page_token")
            if not page.get("has_more") or not token:
                return found
