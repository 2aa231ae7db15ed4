"""What the window reads: one JSON object a line on standard output, each with its "type".
Words for people go to standard error; the window never reads a result from them.

  ready      the piece is prepared and needs the service (only with --wait-for-go): the script
             then waits for the line "go" on its standard input; anything else stops it
  answered   the piece's last request to the service is answered: its request slot is free
  result     ok, output, seconds, reused, credits, message (the "OK: ..." line); of --speakers
             also speakers (how many the answer has); of --lay-turns ok, output, seconds and
             message alone
  failure    kind, message (the "FAILED: ..." or "BUSY: ..." line), retry_after (seconds or
             null), possibly_charged
  estimate   what a run would send and cost (see cli.estimate); with --transcribe also
             transcribe_seconds and transcribe_credits (counted in credits)
  voices     voices: [{voice_id, name, category, preview_url}]
  previews   voices: [{voice_id, name, preview_url}], those of all the account sees that have one
  preview    voice_id, path (absolute), downloaded (false: it was kept already)
"""

import json
import sys


def emit(type, **fields):
    sys.stdout.write(json.dumps(dict(type=type, **fields)) + "\n")
    sys.stdout.flush()
