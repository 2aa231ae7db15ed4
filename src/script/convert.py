#!/usr/bin/env python3
"""Give one audio segment another voice.

Usage: convert.py [--wait-for-go] <input> <output> <voice id>
       convert.py --estimate <voice id> [--transcribe <audio>] [@<voice id>] <piece>...
                                                     what converting the pieces costs (an
                                                     @<voice id>: the voice of those after it),
                                                     and finding the speakers of <audio>
       convert.py --speakers <audio> <answer.json>   who speaks when (the speech to text)
       convert.py --lay-turns <plan.json> <output>   converted turns laid into the original
       convert.py --voices                           the account's own voices
       convert.py --previews                         the voices that have a preview
       convert.py --preview <voice id> <preview url> a voice's preview, downloaded once

Sends the segment to the ElevenLabs voice changer (speech-to-speech, its streaming endpoint) and
writes the answer as ALAC in MP4 with a fixed sample rate and channel count, exactly as long as
the input, so that converted pieces join back together without drift. The key comes only from
the environment variable elevenlabs_api_key. A converted piece is kept in the user's cache and
taken from there when the same audio is converted with the same voice and voice settings
again: no request, no credits. A request is sent again only where the service cannot have done
the work; a piece that went out and got no complete answer is reported as possibly charged and
left for later.

With VOXSPLICE_OFFLINE_VOICE=1 the voice is changed locally with ffmpeg instead (pitch and
formant shift); no key and no network are needed then.

What the caller needs to know comes as one JSON object a line on standard output (see
voxconvert/protocol.py); words for people go to standard error. A piece ends with a "result"
object and exit status 0, or a "failure" object with its kind and exit status 1; when the
account's limit of requests at once is reached, exit status 75 (kind "busy"), so that the caller
runs the piece again once one of its own requests ended. With --wait-for-go, a piece that needs
the service says "ready" once everything before its first request is done, and goes on only
when the line "go" comes on standard input; "answered" says its requests are done. Stopped by
SIGTERM (Ctrl+Break on Windows) before its first request went out (or before its "go"), it ends
its ffmpeg, removes its temporary files and fails the same way; stopped later, it says so and
finishes the piece first, so that an answer paid for is kept (a stop during a wait to try a
refused request again, with nothing to keep, still ends it). Its children lead process groups
of their own, so a signal to the script's group reaches the script alone; on Linux they die
with it when it is killed outright.

The work is done by the voxconvert package in the folder beside this script.

Environment:
  elevenlabs_api_key            the ElevenLabs key
  ELEVENLABS_API_BASE           service address (default https://api.elevenlabs.io): https, or
                                http on this machine (127.0.0.1, ::1, localhost) alone
  VOXSPLICE_FFMPEG              ffmpeg to use instead of <this folder>/ffmpeg/bin/ffmpeg
  VOXSPLICE_OFFLINE_VOICE       1 = change the voice locally, without the service
  VOXSPLICE_VOICE_SETTINGS      the voice settings set, as a JSON object with any of model,
                                stability, similarity, style (0 to 1), speakerboost, denoise
                                (true or false) and seed (0 to 4294967295); the offline voice
                                ignores them
  VOXSPLICE_NEW_TAKE            1 = a new take: the cache is not asked (the answer is kept there
                                all the same, under the seed it was made with)
  VOXSPLICE_HTTP_TIMEOUT        seconds to wait for the service's answer (default 240)
  VOXSPLICE_MAX_TRIES           requests at most per segment (default 3)
  VOXSPLICE_RETRY_BASE_SECONDS  first wait before trying again; doubles each time (default 1)
  VOXSPLICE_RETRY_MAX_SECONDS   no new try starts later than this after the first (default 300)
  VOXSPLICE_CACHE_DIR           where converted pieces (and, in "previews", the voices'
                                previews) are kept (the program sets it)
  VOXSPLICE_CACHE_LIMIT_MB      the most the cache holds (default 2048)
  VOXSPLICE_MAX_SPEAKERS        --speakers: the most speakers to tell apart, 1 to 32 (unset or
                                empty: as many as the speech to text finds)
"""

import os
import sys

# The voxconvert package sits beside this script. Run as a script, this folder is already on
# the path; run any other way (runpy, an embedding host), it may not be.
HERE = os.path.dirname(os.path.abspath(__file__))
if HERE not in sys.path:
    sys.path.insert(0, HERE)

from voxconvert import main  # noqa: E402

if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
