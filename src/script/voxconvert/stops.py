"""Stop signals (SIGTERM; Ctrl+Break on Windows). Until the piece's first request goes out, a
stop ends the piece at once. From then on the service may have done the work and billed it, so
a stop only waits: the piece is finished, its answer kept, and the script ends as usual. A stop
during a wait between two tries, with no answer to keep, ends it too. A kill still kills."""

import contextlib
import os
import signal
import time

from .messages import Failure, clean

SIGNALS = [getattr(signal, name) for name in ("SIGTERM", "SIGBREAK") if hasattr(signal, name)]

sent = False  # the piece's first request went out (or was let go): a stop waits for the piece
asked = None  # the signal of a stop that waits
between_tries = False  # nothing out, nothing to keep: a stop ends the piece


def listen():
    for stop in SIGNALS:
        signal.signal(stop, on_signal)


def ignore():
    """From here on a stop comes too late (the piece is done) or would cut a cleanup short."""
    for stop in SIGNALS:
        signal.signal(stop, signal.SIG_IGN)


def stopped(signum):
    return Failure("stopped (signal %d) before the piece was finished" % signum, "stopped")


def on_signal(signum, frame):
    """Unwinds the piece (the running ffmpeg is ended and the temporary files removed on the way
    out, see audio.run and TempFiles; then main reports the failure), or notes the stop."""
    global asked
    if sent and not between_tries:
        if asked is None:  # straight to the descriptor: sys.stderr may be amid a write
            with contextlib.suppress(OSError):
                os.write(2, (clean("Stopping after this piece: the voice service has it and may "
                                   "bill it, so it is finished and kept first (signal %d)"
                                   % signum) + "\n").encode("utf-8", "replace"))
        asked = signum
        return
    ignore()
    raise stopped(signum)


def commit():
    """The piece's first request goes out: a stop from now on waits for the piece."""
    global sent
    sent = True


def wait_between_tries(seconds):
    """Sleeps before a request that the service did not take is tried again, with no answer
    left to keep: a stop asked before or during the wait ends the piece."""
    global between_tries
    between_tries = True
    try:
        if asked is not None:
            ignore()
            raise stopped(asked)
        time.sleep(seconds)
    finally:
        between_tries = False
