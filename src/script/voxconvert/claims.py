"""Claims on cache keys, so that runs at once pay once for the same audio.

Before a request for a result goes out, the run claims the result's key: a lock file beside the
cache entry, made with O_EXCL (atomic also on NFS), naming the machine, the process and a token
of its own. A second run that needs the key waits until the first has kept its answer and then
takes it from the cache. A claim whose holder died is taken over: on the holder's machine at
once (its process is gone), elsewhere once the lock has not been touched for STALE_SECONDS of
the waiter's own clock (a live holder touches it every HEARTBEAT_SECONDS), so the machines'
clocks need not agree.
"""

import contextlib
import os
import socket
import threading
import time

SUFFIX = ".lock"
HEARTBEAT_SECONDS = 10
STALE_SECONDS = 60
WAIT_SECONDS = 0.25


def process_alive(pid):
    """Whether a process of this machine with this id runs."""
    if os.name == "nt":  # os.kill would end it there
        import ctypes

        kernel = ctypes.windll.kernel32
        handle = kernel.OpenProcess(0x00100000, False, pid)  # SYNCHRONIZE
        if not handle:
            return kernel.GetLastError() == 5  # access denied: it is there
        try:
            return kernel.WaitForSingleObject(handle, 0) == 0x102  # WAIT_TIMEOUT: still runs
        finally:
            kernel.CloseHandle(handle)
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except OSError:  # another user's
        return True
    # A process that has ended but not yet been reaped by its parent holds nothing.
    with contextlib.suppress(OSError):
        with open("/proc/%d/stat" % pid, "rb") as handle:
            return handle.read().rpartition(b")")[2].split()[:1] != [b"Z"]
    return True


def read_holder(lock):
    """(token, when last touched) of the lock, read fresh (an open revalidates what NFS
    caches); None when there is none."""
    try:
        with open(lock, "rb") as handle:
            return handle.read(512).decode("utf-8", "replace"), os.fstat(handle.fileno()).st_mtime
    except OSError:
        return None


def holder_gone(token):
    """Whether the holder named in the token is a process of this machine that no longer
    runs; False when it is elsewhere (or says nothing that can be checked)."""
    parts = token.split()
    if len(parts) != 3 or parts[0] != socket.gethostname() or not parts[1].isdigit():
        return False
    return not process_alive(int(parts[1]))


class Claim:
    """One run's claim on one key: taken with take(), kept alive by a heartbeat, let go with
    release()."""

    def __init__(self, lock):
        self.lock = lock
        self.token = "%s %d %s" % (socket.gethostname(), os.getpid(), os.urandom(16).hex())
        self.seen = None  # (token, touched, since) of the other holder, by this run's clock
        self.beating = None

    def try_take(self):
        """True once the key is this run's; False while a live run holds it."""
        try:
            handle = os.open(self.lock, os.O_CREAT | os.O_EXCL | os.O_WRONLY, 0o644)
        except FileExistsError:
            self.check_holder()
            return False
        with os.fdopen(handle, "wb") as sink:
            sink.write(self.token.encode("utf-8"))
        self.beating = threading.Event()
        threading.Thread(target=self.beat, args=(self.beating,), daemon=True).start()
        return True

    def check_holder(self):
        """Takes the lock over from a holder that died."""
        holder = read_holder(self.lock)
        if holder is None:  # let go meanwhile
            return
        token, touched = holder
        now = time.monotonic()
        if self.seen is None or self.seen[:2] != (token, touched):
            self.seen = (token, touched, now)
        if holder_gone(token) or now - self.seen[2] >= STALE_SECONDS:
            self.take_over(token)

    def take_over(self, dead):
        """Moves the dead holder's lock aside (a rename: one waiter wins) and removes it; a live
        lock that came in meanwhile goes back."""
        aside = "%s.%s.stale" % (self.lock, os.urandom(16).hex())
        try:
            os.rename(self.lock, aside)
        except OSError:
            return
        moved = read_holder(aside)
        if moved and moved[0] != dead:
            with contextlib.suppress(OSError):
                os.link(aside, self.lock)
        with contextlib.suppress(OSError):
            os.remove(aside)
        self.seen = None

    def beat(self, stopped):
        while not stopped.wait(HEARTBEAT_SECONDS):
            if self.ours():
                with contextlib.suppress(OSError):
                    os.utime(self.lock)

    def ours(self):
        holder = read_holder(self.lock)
        return holder is not None and holder[0] == self.token

    def release(self):
        if self.beating:
            self.beating.set()
        if self.ours():
            with contextlib.suppress(OSError):
                os.remove(self.lock)


@contextlib.contextmanager
def claimed(entry, waiting=None):
    """Holds the key of the cache entry at path `entry` for the block, waiting first while
    another live run holds it; `waiting` is called once when it does. Where no lock can be made
    (a cache that cannot be written), the block runs unclaimed."""
    claim = Claim(entry + SUFFIX)
    try:
        os.makedirs(os.path.dirname(entry), exist_ok=True)
        while not claim.try_take():
            if waiting:
                waiting()
                waiting = None
            time.sleep(WAIT_SECONDS)
    except OSError:
        claim = None
    try:
        yield
    finally:
        if claim:
            claim.release()


def held(entry):
    """Whether a live run holds the key of the cache entry at `entry` (a lock of a holder that
    is gone, or untouched for an hour, does not count)."""
    holder = read_holder(entry + SUFFIX)
    if holder is None:
        return False
    token, touched = holder
    return not holder_gone(token) and time.time() - touched < 3600
