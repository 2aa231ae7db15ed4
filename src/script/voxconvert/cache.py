"""Converted pieces kept for the user, so that the same audio is never paid for twice.

A piece is found again by what decides the result: its decoded audio, the voice, the model, the
output format and the settings; not by its name or its folder. The cache lives in the user's
cache folder (VOXSPLICE_CACHE_DIR, which the program sets), holds at most VOXSPLICE_CACHE_LIMIT_MB
megabytes, and lets the pieces used least recently go first.
"""

import hashlib
import json
import os
import shutil
import sys
import tempfile

# Raised when what a kept piece holds changes for the same inputs.
FORMAT_VERSION = 1
DEFAULT_LIMIT_MB = 2048


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


class Cache:
    def __init__(self, folder=None, limit_mb=None):
        self.folder = folder or os.environ.get("VOXSPLICE_CACHE_DIR") or default_folder()
        if limit_mb is None:
            try:
                limit_mb = float(os.environ.get("VOXSPLICE_CACHE_LIMIT_MB") or DEFAULT_LIMIT_MB)
            except ValueError:
                limit_mb = DEFAULT_LIMIT_MB
        self.limit = int(limit_mb * 1000 * 1000)

    def path(self, name):
        return os.path.join(self.folder, name[:2], name + ".mp4")

    def holds(self, name):
        return os.path.isfile(self.path(name))

    def fetch(self, name, target):
        """Copies the kept result to `target`; False when there is none."""
        path = self.path(name)
        try:
            shutil.copyfile(path, target)
            os.utime(path)  # used now: it goes last
            return True
        except OSError:
            return False

    def store(self, name, source):
        """Keeps a copy of `source`; a cache that cannot be written is no reason to fail."""
        path = self.path(name)
        try:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            handle, temporary = tempfile.mkstemp(dir=os.path.dirname(path), suffix=".part")
            os.close(handle)
            shutil.copyfile(source, temporary)
            os.replace(temporary, path)
        except OSError:
            return
        self.trim()

    def entries(self):
        """(last use, size, path) of every kept result."""
        found = []
        for folder, _, names in os.walk(self.folder):
            for name in names:
                if name.endswith(".mp4"):
                    path = os.path.join(folder, name)
                    try:
                        info = os.stat(path)
                    except OSError:
                        continue
                    found.append((info.st_mtime, info.st_size, path))
        return found

    def usage(self):
        return sum(size for _, size, _ in self.entries())

    def trim(self):
        """Removes the results used least recently until the cache is within its limit."""
        entries = sorted(self.entries())
        total = sum(size for _, size, _ in entries)
        for _, size, path in entries:
            if total <= self.limit:
                break
            try:
                os.remove(path)
                total -= size
            except OSError:
                pass
