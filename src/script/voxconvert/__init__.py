"""Gives one audio segment another voice; convert.py beside this folder is the entry point.

Modules:
  messages   the one-line messages, the failure that stops a conversion, hiding the key
  service    the ElevenLabs voice changer: the request, its answer, trying again
  audio      ffmpeg: finding it, running it, measuring and writing pieces, the offline voice
  workfiles  temporary files next to the output, moved into place when finished
  cli        the command line, the main flow, exit status and signals
"""

from .cli import main

__all__ = ["main"]
