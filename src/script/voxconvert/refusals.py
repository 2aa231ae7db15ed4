"""The service's refusals: which one an answer is, and what the user can do about it.

Answers carry {"detail": {"code", "status", "message", ...}}, or a list for validation errors.
`code` is the current field and `status` the legacy one; many answers carry only `status`, and
where both are present they can differ. So a known string is looked for in `code`, then in
`status`, and only then does the HTTP status decide.
"""

import json
import math
import re
import time

from .messages import shorten

SET_KEY_HINT = ("set it with Tools > Set elevenlabs_api_key env var, or (for voxsplice-cli) in the "
                "environment variable elevenlabs_api_key")

# Known strings, in either field, and the kind of refusal each means.
KINDS = {
    "invalid_api_key": "invalid_key", "unauthorized": "invalid_key",
    "needs_authorization": "no_key",
    "missing_permissions": "permission",
    "detected_unusual_activity": "unusual_activity",
    "quota_exceeded": "quota",
    "paid_plan_required": "paid_plan", "payment_required": "paid_plan",
    "only_for_creator+": "plan", "output_format_not_allowed": "plan",
    "subscription_required": "plan",
    "voice_not_found": "voice", "voice_does_not_exist": "voice",
    "max_duration_exceeded": "too_long", "audio_too_long": "too_long",
    "file_too_large": "too_large", "payload_too_large": "too_large",
    "concurrent_limit_exceeded": "concurrency", "too_many_concurrent_requests": "concurrency",
    "rate_limit_exceeded": "rate_limit", "system_busy": "rate_limit",
    "invalid_parameters": "invalid", "validation_error": "invalid",
}

# Codes too general to decide on their own: the legacy field says more.
GENERAL = {"unauthorized"}

# What the HTTP status says when no known string does.
BY_STATUS = {400: "invalid", 401: "invalid_key", 402: "paid_plan", 403: "plan", 404: "voice",
             413: "too_large", 422: "invalid", 429: "rate_limit"}

# Refusals where the service did no work and may be asked again after a wait.
PASSING = {"rate_limit", "server"}
# The longest wait a Retry-After is taken for: a piece waits no longer before it is tried again.
LONGEST_WAIT_SECONDS = 60.0


# What each refusal means and what to do; {said} holds the service's own words.
ADVICE = {
    "invalid_key": "invalid key: the voice service refused the key{said}; check it and "
                   + SET_KEY_HINT,
    "no_key": "no key reached the voice service{said}; " + SET_KEY_HINT,
    "unusual_activity": "the voice service has disabled the free tier for this account after "
                        "unusual activity{said}; a paid plan lifts it",
    "quota": "quota exceeded: not enough credits left for this piece{said}; add credits or wait "
             "until they renew, then run again: converted pieces are kept",
    "paid_plan": "this voice or feature needs a paid plan{said}; upgrade, or pick another voice",
    "plan": "the account's plan does not allow this{said}; upgrade the plan",
    "voice": "voice not found: the voice service has no voice with the id {voice_id}{said}; pick "
             "another voice",
    "too_long": "the piece is too long for the voice service{said}; split into shorter pieces",
    "too_large": "the piece is too large for the voice service{said}; split into shorter pieces",
    "concurrency": "the voice service takes no more requests at once for this account{said}; "
                   "convert fewer pieces at once",
    "rate_limit": "the voice service is busy{said}; wait a few minutes and run again",
    "server": "the voice service had trouble (HTTP {status}){said}; try again later",
}


class Refusal:
    def __init__(self, kind, status, message, retry_after=None, own=False):
        self.kind = kind
        self.status = status
        self.message = message  # the service's own words, shortened
        self.retry_after = retry_after  # seconds, or None
        self.own = own  # the answer is the service's own error, not a gateway's page

    def explain(self, voice_id=""):
        """One line for the user: what happened and what to do."""
        said = " (%s)" % self.message if self.message else ""
        kind = self.kind
        if kind == "permission":
            names = [name for name in re.findall(r"\b[a-z]+(?:_[a-z]+)+\b", self.message or "")
                     if name != "missing_permissions"]
            return ("the key lacks the permission %s%s: allow it for this key on the "
                    "ElevenLabs site, or use another key"
                    % (names[0] if names else "that this needs", said))
        if kind == "quota":
            numbers = credits_in(self.message)
            said = (" (%d credits left, %d needed)" % numbers) if numbers else said
        return ADVICE.get(kind, "the voice service refused the request (HTTP {status}){said}") \
            .format(said=said, voice_id=voice_id, status=self.status)


def credits_in(message):
    """(credits left, credits needed) where a quota message says both."""
    left = re.search(r"(\d+) credits? remaining", message or "")
    need = re.search(r"(\d+) credits? (?:are |is )?required", message or "")
    return (int(left.group(1)), int(need.group(1))) if left and need else None


def retry_after_seconds(value, now=None):
    """Retry-After as seconds from now: whole seconds, or an HTTP date; at most
    LONGEST_WAIT_SECONDS (a date long past is now). None when absent or unreadable."""
    value = (value or "").strip()
    if re.fullmatch(r"[0-9]+", value):
        return min(float(value), LONGEST_WAIT_SECONDS)
    import email.utils  # here: seldom needed, and slow to load

    try:
        when = email.utils.parsedate_to_datetime(value).timestamp()
        wait = when - (time.time() if now is None else now)
    except (TypeError, ValueError, IndexError, OverflowError, OSError):
        return None
    return min(max(0.0, wait), LONGEST_WAIT_SECONDS) if math.isfinite(wait) else None


def read(status, headers, body):
    """The refusal an error answer stands for."""
    code, legacy, message = "", "", ""
    try:
        detail = json.loads(body.decode("utf-8", "replace")).get("detail")
    except (ValueError, AttributeError):
        detail, message = None, body.decode("utf-8", "replace")
    if isinstance(detail, dict):
        code, legacy = str(detail.get("code") or ""), str(detail.get("status") or "")
        message = str(detail.get("message") or "")
    elif isinstance(detail, list):
        problems = []
        for item in detail:
            if isinstance(item, dict):
                where = ".".join(str(part) for part in item.get("loc") or [])
                problems.append("%s: %s" % (where, item.get("msg", "")) if where
                                else str(item.get("msg", "")))
        message = "; ".join(problems)
    elif isinstance(detail, str):
        message = detail
    kind = (None if code in GENERAL and legacy in KINDS else KINDS.get(code)) or KINDS.get(legacy)
    if kind is None:
        kind = "server" if status >= 500 else BY_STATUS.get(status, "other")
    return Refusal(kind, status, shorten(message, 200),
                   retry_after_seconds(headers.get("retry-after")), isinstance(detail, dict))
