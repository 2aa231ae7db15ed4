"""What the script prints for people (standard error): one line per message, the key never
shown. What the window reads goes through protocol.py."""

import re
import sys

_secrets = []  # text that must never be printed (the key)


class Failure(Exception):
    """Stops the conversion; the message is printed as the one failure line. `kind` tells the
    window what happened (a refusal's kind, "stopped", "possibly_charged" or "error");
    `possibly_charged` that credits may have been spent on the failed piece."""

    def __init__(self, message, kind="error", retry_after=None, possibly_charged=False):
        super().__init__(message)
        self.kind = kind
        self.retry_after = retry_after
        self.possibly_charged = possibly_charged or kind == "possibly_charged"


def hide(secret):
    """Keeps `secret` out of every message printed from now on."""
    _secrets.append(secret)


def clean(text):
    """One line, without the key."""
    text = str(text)
    for secret in _secrets:
        text = text.replace(secret, "[key hidden]")
    return re.sub(r"[\r\n]+", " ", text).strip()


def say(text):
    print(clean(text), file=sys.stderr, flush=True)


def shorten(text, limit=300):
    text = " ".join(str(text).split())
    return text if len(text) <= limit else text[: limit - 3] + "..."


def plural(count, word):
    return "%d %s%s" % (count, word, "" if count == 1 else "s")
