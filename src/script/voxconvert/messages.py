"""What the script prints: one line per message, the key never shown."""

import re

_secrets = []  # text that must never be printed (the key)


class Failure(Exception):
    """Stops the conversion; the message is printed as the one failure line."""


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
    print(clean(text), flush=True)


def shorten(text, limit=300):
    text = " ".join(str(text).split())
    return text if len(text) <= limit else text[: limit - 3] + "..."


def plural(count, word):
    return "%d %s%s" % (count, word, "" if count == 1 else "s")
