#!/usr/bin/env python3
"""A stand-in for the ElevenLabs speech-to-speech endpoint, listening on loopback only.

Answers POST /v1/speech-to-speech/{voice_id} like the service: checks the xi-api-key header,
reads the multipart form, and returns MP3 made from the `audio` part (pitch raised a little),
or the error the current mode asks for. Every request is recorded.

From Python:
    with StandinService(mode="ok", key="K") as service:
        ... service.url, service.requests, service.set_mode("server_error")

As a program (prints its URL, e.g. http://127.0.0.1:40123, on the first line, then serves
until --lifetime seconds have passed or it is terminated):
    standin_service.py [--port 0] [--mode ok] [--key standin-key] [--fail-count N]
                       [--length-delta SECONDS] [--lifetime 120] [--ffmpeg PATH]

Control endpoints, for tests that run it as a program:
    GET  /_standin/requests   JSON list of the recorded requests
    POST /_standin/mode       JSON {"mode": ..., "fail_count": ..., "length_delta": ...}
"""

import argparse
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


def error_answer(status, detail_status, message):
    return status, {"detail": {"status": detail_status, "message": message}}


# Failing modes and their answers; "{voice_id}" is filled in from the request.
ERRORS = {
    # Echoes the key it got, as careless services do: the script must not print it.
    "invalid_key": error_answer(401, "invalid_api_key", "Invalid API key {key}"),
    "quota_exceeded": error_answer(
        401, "quota_exceeded", "This request exceeds your quota of 10000. You have 12 credits "
        "remaining, while 5000 credits are required for this request. TOKEN BOOK"),
    "voice_not_found": error_answer(
        404, "voice_not_found", "A voice with the voice_id {voice_id} was not found."),
    "validation_error": (422, {"detail": [{"type": "missing", "loc": ["body", "audio"],
                                           "msg": "Field required OK", "input": None}]}),
    "busy_twice": error_answer(429, "too_many_concurrent_requests",
                               "Too many concurrent requests OK"),
    "server_error": error_answer(500, "internal_error", "Internal server error"),
}
MODES = ["ok"] + sorted(ERRORS) + ["truncated", "stall"]
DEFAULT_FAIL_COUNTS = {"busy_twice": 2}
PITCH_RATIO = 1.06  # about one semitone up


def parse_multipart(body, content_type):
    """Returns {name: (filename or None, content type, bytes)} from a multipart/form-data body."""
    match = re.search(r'boundary="?([^";]+)"?', content_type or "")
    if not match or not content_type.startswith("multipart/form-data"):
        return {}
    delimiter = b"--" + match.group(1).encode("latin-1")
    fields = {}
    for chunk in body.split(delimiter)[1:]:
        if chunk.startswith(b"--"):
            break
        head, _, data = chunk[2:].partition(b"\r\n\r\n")
        if data.endswith(b"\r\n"):
            data = data[:-2]
        headers = head.decode("utf-8", "replace")
        name = re.search(r'name="([^"]*)"', headers)
        filename = re.search(r'filename="([^"]*)"', headers)
        part_type = re.search(r"(?im)^content-type:\s*(\S+)", headers)
        if name:
            fields[name.group(1)] = (filename.group(1) if filename else None,
                                     part_type.group(1) if part_type else None, data)
    return fields


def make_answer_audio(ffmpeg, audio, length_delta):
    """MP3 (44.1 kHz mono) of `audio` with a raised pitch; None if ffmpeg cannot read it."""
    shifted = int(44100 * PITCH_RATIO)
    chain = ["aresample=44100", "asetrate=%d" % shifted, "aresample=44100",
             "atempo=%.6f" % (44100 / shifted)]
    if length_delta > 0:
        chain.append("apad=pad_dur=%.3f" % length_delta)
    elif length_delta < 0:
        chain += ["atrim=start=%.3f" % -length_delta, "asetpts=PTS-STARTPTS"]
    with tempfile.TemporaryDirectory(prefix="standin-") as folder:
        source, target = os.path.join(folder, "in"), os.path.join(folder, "out.mp3")
        with open(source, "wb") as handle:
            handle.write(audio)
        result = subprocess.run(
            [ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-i", source,
             "-vn", "-af", ",".join(chain), "-ac", "1", "-ar", "44100",
             "-c:a", "libmp3lame", "-b:a", "128k", "-f", "mp3", target],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if result.returncode != 0:
            return None
        with open(target, "rb") as handle:
            return handle.read()


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):
        pass

    def send_json(self, status, payload):
        data = json.dumps(payload).encode("utf-8")
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def read_body(self):
        return self.rfile.read(int(self.headers.get("Content-Length") or 0))

    def do_GET(self):
        if self.path == "/_standin/requests":
            self.send_json(200, self.server.standin.requests)
        else:
            self.send_json(404, {"detail": "Not Found"})

    def do_POST(self):
        service = self.server.standin
        body = self.read_body()
        path = urllib.parse.urlsplit(self.path)
        if path.path == "/_standin/mode":
            settings = json.loads(body or b"{}")
            service.set_mode(settings.get("mode", "ok"), settings.get("fail_count"),
                             settings.get("length_delta"))
            return self.send_json(200, {"mode": service.mode})
        match = re.fullmatch(r"/v1/speech-to-speech/([^/]+)", path.path)
        fields = parse_multipart(body, self.headers.get("Content-Type"))
        voice_id = urllib.parse.unquote(match.group(1)) if match else None
        service.record({
            "path": path.path, "query": dict(urllib.parse.parse_qsl(path.query)),
            "voice_id": voice_id, "headers": {k.lower(): v for k, v in self.headers.items()},
            "fields": {name: value[2].decode("utf-8", "replace") if value[0] is None
                       else {"filename": value[0], "content_type": value[1],
                             "size": len(value[2])}
                       for name, value in fields.items()}})
        if not match:
            return self.send_json(404, {"detail": "Not Found"})
        if self.headers.get("xi-api-key") != service.key:
            return self.answer(service, "invalid_key", voice_id, fields)
        self.answer(service, service.next_action(), voice_id, fields)

    def answer(self, service, action, voice_id, fields):
        if action in ERRORS:
            status, payload = ERRORS[action]
            text = json.dumps(payload).replace("{voice_id}", voice_id).replace(
                "{key}", json.dumps(self.headers.get("xi-api-key", ""))[1:-1])
            return self.send_json(status, json.loads(text))
        if action == "stall":
            service.stopping.wait(service.remaining())
            self.close_connection = True
            return
        if "audio" not in fields or not fields["audio"][2]:
            return self.send_json(422, {"detail": [{"type": "missing", "loc": ["body", "audio"],
                                                    "msg": "Field required", "input": None}]})
        audio = make_answer_audio(service.ffmpeg, fields["audio"][2], service.length_delta)
        if audio is None:
            return self.send_json(400, {"detail": {"status": "invalid_audio",
                                                   "message": "Could not decode the audio"}})
        self.send_response(200)
        self.send_header("Content-Type", "audio/mpeg")
        self.send_header("Content-Length", str(len(audio)))
        self.end_headers()
        if action == "truncated":
            self.wfile.write(audio[: len(audio) // 2])
            self.close_connection = True
        else:
            self.wfile.write(audio)


class StandinService:
    """The stand-in server; a context manager. Shuts itself down after `lifetime` seconds."""

    def __init__(self, mode="ok", key="standin-key", fail_count=None, length_delta=0.0,
                 lifetime=120.0, port=0, ffmpeg=None):
        self.key = key
        self.lifetime = lifetime
        self.ffmpeg = ffmpeg or os.environ.get("VOXSPLICE_FFMPEG") or shutil.which("ffmpeg")
        self.port = port
        self.stopping = threading.Event()
        self._lock = threading.Lock()
        self._requests = []
        self._server = None
        self.set_mode(mode, fail_count, length_delta)

    def set_mode(self, mode, fail_count=None, length_delta=None):
        """Failing modes fail the next `fail_count` requests (default: all), then answer ok."""
        if mode not in MODES:
            raise ValueError("unknown mode %r (known: %s)" % (mode, ", ".join(MODES)))
        with self._lock:
            self.mode = mode
            self._failures_left = (fail_count if fail_count is not None
                                   else DEFAULT_FAIL_COUNTS.get(mode))
            if length_delta is not None:
                self.length_delta = float(length_delta)

    def next_action(self):
        with self._lock:
            if self.mode == "ok" or self._failures_left == 0:
                return "ok"
            if self._failures_left is not None:
                self._failures_left -= 1
            return self.mode

    def record(self, entry):
        with self._lock:
            self._requests.append(entry)

    @property
    def requests(self):
        with self._lock:
            return list(self._requests)

    def clear_requests(self):
        with self._lock:
            self._requests.clear()

    @property
    def url(self):
        return "http://127.0.0.1:%d" % self._server.server_address[1]

    def remaining(self):
        return max(0.0, self._deadline - time.monotonic())

    def start(self):
        self._server = ThreadingHTTPServer(("127.0.0.1", self.port), Handler)
        self._server.daemon_threads = True
        self._server.standin = self
        self._deadline = time.monotonic() + self.lifetime
        threading.Thread(target=self._server.serve_forever, daemon=True).start()
        watchdog = threading.Timer(self.lifetime, self.stop)
        watchdog.daemon = True
        watchdog.start()
        return self

    def stop(self):
        if self.stopping.is_set():
            return
        self.stopping.set()
        self._server.shutdown()
        self._server.server_close()

    def wait(self):
        self.stopping.wait()

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


def main():
    parser = argparse.ArgumentParser(description="Stand-in for the voice changer service.")
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--mode", choices=MODES, default="ok")
    parser.add_argument("--key", default="standin-key", help="the xi-api-key to accept")
    parser.add_argument("--fail-count", type=int, default=None,
                        help="failing modes fail this many requests, then answer ok")
    parser.add_argument("--length-delta", type=float, default=0.0,
                        help="seconds to add to (or cut from) the returned audio")
    parser.add_argument("--lifetime", type=float, default=120.0, help="seconds before exiting")
    parser.add_argument("--ffmpeg", default=None)
    args = parser.parse_args()
    service = StandinService(args.mode, args.key, args.fail_count, args.length_delta,
                             args.lifetime, args.port, args.ffmpeg).start()
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=service.stop).start())
    print(service.url, flush=True)
    try:
        service.wait()
    except KeyboardInterrupt:
        service.stop()


if __name__ == "__main__":
    main()
