"""Converted pieces kept for the user, so that the same audio is never paid for twice.

A piece is found again by what decides the result: its decoded audio, the voice, the model, the
output format and the settings; not by its name or its folder. The cache lives in the user's
cache folder (VOXSPLICE_CACHE_DIR, which the program sets), holds at most VOXSPLICE_CACHE_LIMIT_MB
megabytes, and lets the pieces used least recently go first. The speakers the speech to text
found in a recording are kept the same way, so that it is never sent twice either.

Every kept file is written beside its place and renamed into it, so it is there whole or not at
all, and a kept piece starts with its length and checksum: one cut short or damaged (a crash, a
full disk) is found out when taken, removed, and made again. Beside the pieces, an index tells
what audio decodes to (its length and audio digest) from a digest of its packets as stored, so
that audio decoded once is not decoded again, whatever file it comes in: the index only ever
learns it from a decoding (see audio.measure).
"""

import contextlib
import hashlib
import json
import os
import re
import struct
import sys
import tempfile
import time

from . import claims

# Raised when what a kept piece holds changes for the same inputs.
FORMAT_VERSION = 1
DEFAULT_LIMIT_MB = 2048
# Starts every kept piece: a mark, the length of what follows, and its SHA-256.
HEADER = struct.Struct("<8sQ32s")
MARK = b"vxsplice"
# A temporary older than this belongs to no live writer (a write takes seconds): it is swept.
STALE_SECONDS = 3600
# What this cache writes, relative to its folder: nothing else there is ever removed.
OURS = re.compile(r"[0-9a-f]{2}[/\\][^/\\]+\Z")


def default_folder():
    if os.name == "nt":
        root = os.environ.get("LOCALAPPDATA") or os.path.expanduser("~")
        return os.path.join(root, "voxsplice", "cache")
    if sys.platform == "darwin":
        return os.path.expanduser("~/Library/Caches/voxsplice")
    root = os.environ.get("XDG_CACHE_HOME") or os.path.expanduser("~/.cache")
    return os.path.join(root, "voxsplice")


def key(kind, audio_digest, **settings):
    """The name of a result: what it was made from and how."""
    what = json.dumps(dict(settings, kind=kind, audio=audio_digest, version=FORMAT_VERSION),
                      sort_keys=True)
    return hashlib.sha256(what.encode("utf-8")).hexdigest()


def remove(path, seen=None):
    """Removes `path`; with `seen` (its os.stat), only while it still is the file seen."""
    with contextlib.suppress(OSError):
        if seen is None or os.path.samestat(seen, os.stat(path)):
            os.remove(path)


def copy(source, sink):
    """Copies the open file `source`, from where it stands, into `sink`: (length, SHA-256)."""
    digest, length = hashlib.sha256(), 0
    for chunk in iter(lambda: source.read(1 << 20), b""):
        digest.update(chunk)
        sink.write(chunk)
        length += len(chunk)
    return length, digest.digest()


class Cache:
    def __init__(self, folder=None, limit_mb=None):
        self.folder = folder or os.environ.get("VOXSPLICE_CACHE_DIR") or default_folder()
        if limit_mb is None:
            try:
                limit_mb = float(os.environ.get("VOXSPLICE_CACHE_LIMIT_MB") or DEFAULT_LIMIT_MB)
            except ValueError:
                limit_mb = DEFAULT_LIMIT_MB
        self.limit = int(limit_mb * 1000 * 1000)

    def path(self, name, suffix=".mp4"):
        return os.path.join(self.folder, name[:2], name + suffix)

    def holds(self, name, suffix=".mp4"):
        """Whether a whole result is kept under `name`."""
        return self.take(name, None, suffix)

    def fetch(self, name, target, suffix=".mp4"):
        """Copies the kept result to `target`; False when there is none or it is damaged."""
        return self.take(name, target, suffix)

    def take(self, name, target, suffix=".mp4"):
        """Checks the kept result against its header, copying it to `target` (a path) on the
        way; a damaged one is removed. `suffix` tells results of other kinds apart (".mp4" for
        audio, ".json" for a transcript)."""
        path, whole = self.path(name, suffix), False
        with contextlib.suppress(OSError):
            with open(path, "rb") as entry:
                header = HEADER.unpack(entry.read(HEADER.size).ljust(HEADER.size))  # short: none
                with open(target or os.devnull, "wb") as sink:
                    whole = header == (MARK, *copy(entry, sink))
                damaged = None if whole else os.fstat(entry.fileno())
            if damaged:
                remove(path, damaged)  # once closed: Windows removes no open file
            elif target:
                os.utime(path)  # used now: it goes last
        return whole

    def claimed(self, name, suffix=".mp4", waiting=None):
        """Holds the key `name` while its result is made and kept (see claims): a run that
        needs it meanwhile waits, then takes the result from here."""
        return claims.claimed(self.path(name, suffix), waiting)

    def store(self, name, source, suffix=".mp4"):
        """Keeps a copy of `source`; a cache that cannot be written is no reason to fail.
        True when it is kept."""

        def fill(sink):
            sink.write(bytes(HEADER.size))  # written once what follows it is
            with open(source, "rb") as handle:
                summary = copy(handle, sink)
            sink.seek(0)
            sink.write(HEADER.pack(MARK, *summary))

        kept = self.write(self.path(name, suffix), fill)
        self.trim()
        return kept

    @staticmethod
    def write(path, fill):
        """Writes `path` whole or not at all: `fill` writes a temporary beside it, which is then
        renamed into place, or removed however the writing ends (a stop signal included)."""
        temporary = None
        try:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            handle, temporary = tempfile.mkstemp(dir=os.path.dirname(path), suffix=".part")
            with os.fdopen(handle, "wb") as sink:
                fill(sink)
            os.replace(temporary, path)
            temporary = None
            return True
        except OSError:
            return False
        finally:
            if temporary:
                remove(temporary)

    def recall(self, packets):
        """(samples, audio digest) that the audio with these packets (their digest) decodes to,
        when it was decoded before; None otherwise."""
        path = self.path(packets, ".index")
        try:
            with open(path, "rb") as handle:
                entry = json.loads(handle.read().decode("utf-8"))
            known = int(entry["samples"]), str(entry["digest"])
        except (OSError, ValueError, KeyError, TypeError):
            return None
        with contextlib.suppress(OSError):
            os.utime(path)  # used now: it goes last
        return known

    def learn(self, packets, measured):
        """Keeps what the audio with these packets decodes to: (samples, audio digest)."""
        entry = json.dumps({"samples": measured[0], "digest": measured[1]}).encode("utf-8")
        self.write(self.path(packets, ".index"), lambda sink: sink.write(entry))

    @staticmethod
    def identity(path):
        """What tells this very file apart, as it is now (None when it cannot be told): a file
        written since (its change time moves on any write, and cannot be set back) or another
        file in its place differs. Taken before the file is read, so that a write meanwhile
        leaves what was read under an identity the file no longer has."""
        try:
            info = os.stat(path)
        except OSError:
            return None
        return "listed|%s|%d|%d|%d|%d|%d" % (os.path.realpath(path), info.st_dev, info.st_ino,
                                             info.st_size, info.st_mtime_ns, info.st_ctime_ns)

    def listed(self, identity):
        """(the digest of its packets' listing, the length in samples its packets tell) of the
        file with this identity, when it was listed before; None otherwise."""
        if not identity:
            return None
        name = hashlib.sha256(identity.encode("utf-8")).hexdigest()
        try:
            with open(self.path(name, ".listed"), "rb") as handle:
                entry = json.loads(handle.read().decode("utf-8"))
            return str(entry["packets"]), int(entry["length"])
        except (OSError, ValueError, KeyError, TypeError):
            return None

    def note_listed(self, identity, packets, length):
        """Keeps that the file with this identity has packets whose listing has this digest and
        that tell this length."""
        if identity:
            name = hashlib.sha256(identity.encode("utf-8")).hexdigest()
            entry = json.dumps({"packets": packets, "length": length}).encode("utf-8")
            with contextlib.suppress(OSError):
                self.write(self.path(name, ".listed"), lambda sink: sink.write(entry))

    def cuts(self, packets, how):
        """The pieces that audio with these packets was cut into `how`: (audio digest or None,
        seconds) of each, the digest where the piece was decoded since; None when it was not cut
        so."""
        try:
            with open(self.path(key("cuts", packets, how=how), ".cuts"), "rb") as handle:
                pieces = json.loads(handle.read().decode("utf-8"))["pieces"]
            listed = [(str(piece), float(seconds)) for piece, seconds in pieces]
        except (OSError, ValueError, KeyError, TypeError):
            return None
        return [((self.recall(piece) or (0, None))[1], seconds) for piece, seconds in listed]

    def note_cuts(self, packets, how, pieces):
        """Keeps that audio with these packets was cut `how` into `pieces`: (the digest of a
        piece's packets, its seconds) of each."""
        entry = json.dumps({"pieces": pieces}).encode("utf-8")
        self.write(self.path(key("cuts", packets, how=how), ".cuts"), lambda sink: sink.write(entry))

    def files(self):
        """(last use, size, path) of every file in the cache folder but the working folders of
        command-line runs ("runs"), which are not the cache's."""
        found = []
        for folder, subfolders, names in os.walk(self.folder):
            if folder == self.folder and "runs" in subfolders:
                subfolders.remove("runs")
            for name in names:
                path = os.path.join(folder, name)
                with contextlib.suppress(OSError):  # gone meanwhile
                    info = os.stat(path)
                    found.append((info.st_mtime, info.st_size, path))
        return found

    def usage(self):
        return sum(size for _, size, _ in self.files())

    def trim(self):
        """Sweeps temporaries left by writers that died, then removes the results used least
        recently until the cache is within its limit. Every file counts toward the limit; only
        what this cache wrote is removed, and never a temporary a live writer may hold, nor an
        entry whose key a live run holds (it is about to be taken or written)."""
        files, now = sorted(self.files()), time.time()
        total = sum(size for _, size, _ in files)
        claimed = {path[:-len(claims.SUFFIX)] for _, _, path in files
                   if path.endswith(claims.SUFFIX)}
        for used, size, path in files:
            ours = OURS.match(os.path.relpath(path, self.folder))
            # Locks live as long as their claims; one untouched for an hour has no holder.
            temporary = path.endswith((".part", claims.SUFFIX, ".stale"))
            if not ours or temporary and now - used < STALE_SECONDS:
                continue
            if path in claimed and claims.held(path):
                continue
            if total <= self.limit and not temporary:
                continue
            remove(path)
            if not os.path.exists(path):
                total -= size
