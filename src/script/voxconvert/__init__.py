"""Gives one audio segment another voice; convert.py beside this folder is the entry point.

Modules:
  messages   the one-line messages, the failure that stops a conversion, hiding the key
  protocol   the JSON objects the window reads
  transport  one HTTP exchange, told apart by how far it got before it failed
  refusals   the service's refusals and what the user can do about each
  service    the voice service: converting a piece, the speakers of a recording (speech to
             text), the account's credits and voices
  cache      converted pieces (and speakers found) kept per user, so the same audio is never
             paid for twice
  previews   the voices' previews: which voices have one, their files downloaded once
  audio      ffmpeg: finding it, running it, measuring and writing pieces, laying converted
             turns back into the original, the offline voice
  workfiles  temporary files next to the output, moved into place when finished
  stops      stop signals: at once before the piece went out, after it once it is finished
  cli        the command line (a piece, a run's cost, the speakers, laying turns, the voices,
             previews) and exit status
"""

from .cli import main

__all__ = ["main"]
