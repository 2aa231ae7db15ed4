"""The voices' previews for the sample player: which voices have one, and each preview's audio,
downloaded once into the cache folder (its subfolder "previews").

The previews are public files at the addresses the service lists, often on another host: no
key goes with a download, the key is for the voice service alone.
"""

import hashlib
import os
import posixpath
import re
import time
import types
import urllib.parse

from . import cache, service
from .messages import Failure, shorten
from .transport import NoCompleteAnswer, NotSent, exchange

FOLDER = "previews"
# A preview is a few seconds of speech: a download that takes longer or holds more is none.
MOST_SECONDS = 60.0
MOST_BYTES = 20 * 1000 * 1000
UNSAFE = re.compile(r"[^A-Za-z0-9_-]+")
EXTENSION = re.compile(r"\.[A-Za-z0-9]{1,5}")


def listed():
    """Every voice the account sees that has a preview, the premade ones and its own:
    [{voice_id, name, preview_url}]."""
    voices = service.Service().get_json("/v1/voices").get("voices") or []
    return [{"voice_id": str(voice["voice_id"]), "name": str(voice.get("name") or ""),
             "preview_url": str(voice["preview_url"])} for voice in voices
            if isinstance(voice, dict) and voice.get("voice_id") and voice.get("preview_url")]


def file_name(voice_id, url):
    """The voice id made safe for a file name, with a digest of it where it had to change (so
    that two ids never share a file), and the extension of the address, else .mp3."""
    name = UNSAFE.sub("_", voice_id)[:64]
    if name != voice_id:
        name += "-" + hashlib.sha256(voice_id.encode("utf-8")).hexdigest()[:12]
    extension = posixpath.splitext(urllib.parse.urlsplit(url).path)[1]
    return name + (extension.lower() if EXTENSION.fullmatch(extension) else ".mp3")


def fetch(voice_id, url):
    """The file of the voice's preview, downloaded from `url` unless it is kept already:
    (absolute path, whether it was downloaded now). It is written beside its place and renamed
    into it, so a download cut short is never kept."""
    voice_id = voice_id.strip()
    if not voice_id:
        raise Failure("the voice id is empty: choose a voice first")
    try:
        address = urllib.parse.urlsplit(url.strip())
        address.port  # a port that is no number fails here
    except ValueError:
        address = None
    if not address or address.scheme not in ("http", "https") or not address.hostname:
        raise Failure("the preview of voice %s is not at an http(s) address: %s"
                      % (voice_id, shorten(url, 200)))
    path = os.path.abspath(os.path.join(cache.Cache().folder, FOLDER, file_name(voice_id, url)))
    if os.path.isfile(path):
        return path, False
    timeout = min(service.env_number("VOXSPLICE_HTTP_TIMEOUT", 240.0, 0.1), 30.0)
    if not cache.Cache.write(path, lambda sink: download(address, sink, voice_id, timeout)):
        raise Failure("cannot write the preview of voice %s into %s"
                      % (voice_id, os.path.dirname(path)))
    return path, True


def download(address, sink, voice_id, timeout):
    """Writes the preview at `address` (split) into the open file `sink`; the whole download
    takes at most MOST_SECONDS and MOST_BYTES."""
    what = "the preview of voice %s from %s" % (voice_id, address.hostname)
    deadline = time.monotonic() + MOST_SECONDS

    def write(chunk):
        if time.monotonic() > deadline:
            raise Failure("%s took more than %d s: not kept" % (what, MOST_SECONDS))
        if sink.tell() + len(chunk) > MOST_BYTES:
            raise Failure("%s is over %d MB, too large for a preview: not kept"
                          % (what, MOST_BYTES // 1000000))
        sink.write(chunk)

    try:
        answer = exchange("%s://%s" % (address.scheme, address.netloc), "GET",
                          (address.path or "/") + ("?" + address.query if address.query else ""),
                          {"User-Agent": "voxsplice-convert/2", "Accept": "audio/*"},
                          timeout=timeout, sink=types.SimpleNamespace(write=write))
    except (NotSent, NoCompleteAnswer) as problem:
        raise Failure("cannot download %s (%s)" % (what, problem))
    if answer.status != 200:
        raise Failure("cannot download %s: HTTP %d" % (what, answer.status))
    if not sink.tell() or answer.headers.get("content-type", "").startswith("text/"):
        raise Failure("cannot download %s: the answer holds no audio" % what)
