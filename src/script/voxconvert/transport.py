"""One HTTP exchange with the service, told apart by how far it got before it failed.

What matters for money is whether the request went out whole: a request that failed before
that cannot have been processed, so it may be sent again; one that went out and got no complete
answer has usually been processed and billed, so it must not be.
"""

import socket
import urllib.parse

from .messages import Failure, shorten

CHUNK = 64 * 1024


class NotSent(Exception):
    """The request did not reach the service whole: nothing was done, nothing billed."""


class NoCompleteAnswer(Exception):
    """The request went out whole, but no complete answer came back."""


class Answer:
    def __init__(self, status, headers, body):
        self.status = status
        self.headers = headers  # lower-cased names
        self.body = body  # bytes; empty when the body went to a sink


def exchange(base, method, path, headers, body=None, timeout=240.0, sink=None):
    """Sends one request and reads the whole answer. A successful (2xx) body goes to `sink`
    (a file opened for writing) when one is given. Raises NotSent or NoCompleteAnswer."""
    import http.client  # here: a piece found in the cache, or changed offline, starts faster
    import ssl

    address = urllib.parse.urlsplit(base)
    if address.scheme == "https":
        connection = http.client.HTTPSConnection(address.hostname, address.port, timeout=timeout,
                                                 context=ssl.create_default_context())
    else:
        connection = http.client.HTTPConnection(address.hostname, address.port, timeout=timeout)
    try:
        try:
            connection.connect()
            connection.request(method, address.path.rstrip("/") + path, body=body,
                               headers=headers)
        except ssl.SSLCertVerificationError as error:
            raise Failure("cannot verify the certificate of %s (%s); check the system date "
                          "and certificates" % (address.hostname, shorten(error, 120)))
        except (OSError, http.client.HTTPException) as error:
            raise NotSent(describe(error))
        try:
            response = connection.getresponse()
            names = {name.lower(): value for name, value in response.getheaders()}
            if sink is not None and 200 <= response.status < 300:
                while True:
                    chunk = response.read(CHUNK)
                    if not chunk:
                        break
                    sink.write(chunk)
                data = b""
            else:
                data = response.read()
            if response.length:  # a Content-Length that was not met
                raise NoCompleteAnswer("answer cut short")
        except (socket.timeout, TimeoutError):
            raise NoCompleteAnswer("no answer within %g s" % timeout)
        except (OSError, http.client.HTTPException) as error:
            raise NoCompleteAnswer(describe(error))
        except Failure as stop:  # a stop signal while the service had the piece
            stop.possibly_charged = method == "POST"
            raise
        return Answer(response.status, names, data)
    finally:
        connection.close()


def describe(error):
    import http.client

    if isinstance(error, http.client.IncompleteRead):
        return "answer cut short"
    if isinstance(error, (socket.timeout, TimeoutError)):
        return "timed out"
    return shorten(getattr(error, "strerror", None) or error, 120) or type(error).__name__
