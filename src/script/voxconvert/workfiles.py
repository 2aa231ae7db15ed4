"""Temporary files next to the output; the finished piece is moved into place."""

import os
import tempfile

from .messages import Failure


def current_umask():
    mask = os.umask(0o022)
    os.umask(mask)
    return mask


class TempFiles:
    """Temporary files in the output's folder, all removed on exit unless kept."""

    def __init__(self, output_path):
        self.folder = os.path.dirname(output_path)
        self.prefix = "." + os.path.basename(output_path) + "."
        self.paths = []

    def new(self, suffix):
        try:
            handle, path = tempfile.mkstemp(prefix=self.prefix, suffix=suffix, dir=self.folder)
        except OSError as error:
            raise Failure("cannot write in the output folder %s (%s)"
                          % (self.folder, error.strerror))
        self.paths.append(path)
        os.close(handle)
        os.chmod(path, 0o666 & ~current_umask())  # mkstemp makes it private; outputs are not
        return path

    def move_into_place(self, path, target):
        try:
            os.replace(path, target)
        except OSError as error:
            raise Failure("cannot write %s (%s)" % (target, error.strerror))
        self.paths.remove(path)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        for path in self.paths:
            try:
                os.remove(path)
            except OSError:
                pass
