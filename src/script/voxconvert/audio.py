"""ffmpeg: finding it, running it, measuring the input, writing pieces, laying converted turns
back into the original, the offline voice."""

import array
import collections
import contextlib
import errno
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading

from .messages import Failure, shorten

# Every converted piece has exactly this format, so the pieces join with a plain stream copy.
SAMPLE_RATE = 44100
CHANNELS = 2
CHANNEL_LAYOUT = "stereo"
SAMPLE_FORMAT = "s16p"
CODEC = "alac"
CONTAINER = "mp4"

# Offline voice: semitones of pitch shift, picked from the voice id; never 0.
OFFLINE_SHIFTS = (-5, -4, -3, 3, 4, 5)

# How long an ffmpeg that was asked to stop may take before it is killed.
STOP_WAIT_SECONDS = 2.0
# An ffmpeg run that takes longer than this (plus twice the audio's length) is taken for hung.
TIME_LIMIT_SECONDS = 600
ERRORS_KEPT = 64 * 1024  # the end of ffmpeg's errors, for the failure line
RUNNING = set()  # the ffmpeg runs of every thread

# How children start. Each leads a process group of its own, so that a stop signal sent to this
# script's whole group reaches the script alone: the script ends its children itself (see run),
# and the encoding of an answer already paid for is not cut off under it. On Linux, setpriv
# has the kernel kill the child when the script dies, however it dies. (A preexec_fn could do
# that too, but is unsafe while threads run, and the cost of a run measures from a pool.)
if os.name == "nt":
    CHILD_OPTIONS = {"creationflags": 0x08000000}  # CREATE_NO_WINDOW
    DEATH_SIGNAL = []
else:
    CHILD_OPTIONS = {"process_group": 0}
    SETPRIV = sys.platform.startswith("linux") and shutil.which("setpriv")
    DEATH_SIGNAL = [SETPRIV, "--pdeathsig", "KILL", "--"] if SETPRIV else []


# The service's key stays with this script: no program it starts gets it.
KEY_VARIABLE = "elevenlabs_api_key"


def child_options():
    """CHILD_OPTIONS with this script's environment but for the key."""
    return dict(CHILD_OPTIONS, env={name: value for name, value in os.environ.items()
                                    if name != KEY_VARIABLE})


def child_command(command):
    """`command` as a child is started with CHILD_OPTIONS: dying with this script where it can."""
    return DEATH_SIGNAL + list(command)


# ---------------------------------------------------------------------------------------------
# Running ffmpeg


def find_ffmpeg():
    override = os.environ.get("VOXSPLICE_FFMPEG", "").strip()
    if override:
        path = override if os.path.dirname(override) else (shutil.which(override) or override)
        hint = "fix VOXSPLICE_FFMPEG or unset it"
    else:
        name = "ffmpeg.exe" if os.name == "nt" else "ffmpeg"
        # The working folder: convert.py and this package's folder sit side by side in it.
        here = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
        path = os.path.join(here, "ffmpeg", "bin", name)
        hint = "install ffmpeg into the working folder (ffmpeg/bin next to convert.py)"
    if not os.path.isfile(path):
        raise Failure("ffmpeg not found at %s: %s" % (path, hint))
    return path


def end_child(child, wait=STOP_WAIT_SECONDS):
    """Asks a child that still runs to stop, and kills it if it has not stopped `wait` s after."""
    if child.poll() is not None:
        return
    child.terminate()
    try:
        child.wait(wait)
    except subprocess.TimeoutExpired:
        child.kill()
        child.wait()


def run_ffmpeg(ffmpeg, args, what, capture=False, limit=TIME_LIMIT_SECONDS):
    """Runs ffmpeg quietly, stdin closed; returns stdout if captured. Failure says `what`."""
    output = []
    run([ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y"] + args, what,
        output.append if capture else None, limit)
    return b"".join(output)


def run(command, what, on_output=None, limit=TIME_LIMIT_SECONDS):
    """Runs ffmpeg to its end, its output handed to `on_output` as it comes (when given)."""
    with watched(command, what, limit, capture=on_output is not None) as child:
        if on_output:
            for chunk in iter(lambda: child.stdout.read(1 << 20), b""):
                on_output(chunk)


@contextlib.contextmanager
def watched(command, what, limit=TIME_LIMIT_SECONDS, capture=False, feed=False):
    """ffmpeg started for the block, which reads its output (`capture`) or writes its input
    (`feed`, closed when the block ends); then ffmpeg is waited for. Its errors are read beside
    it, keeping their end: no pipe can fill and stall ffmpeg. One that runs longer than `limit`
    seconds is taken for hung. However the block ends, a signal's Failure included, ffmpeg is
    ended before this returns; a failure says `what` and ffmpeg's last line of errors."""
    child = start_ffmpeg(command, capture, feed)
    errors, overdue, broken = bytearray(), [], False

    def read_errors():
        with contextlib.suppress(OSError, ValueError):  # closed under it: the run is over
            for chunk in iter(lambda: child.stderr.read1(ERRORS_KEPT), b""):
                errors.extend(chunk)
                del errors[:-ERRORS_KEPT]

    def hung():
        overdue.append(True)
        child.kill()

    reader, timer = threading.Thread(target=read_errors, daemon=True), threading.Timer(limit, hung)
    with child:
        try:
            RUNNING.add(child)
            reader.start()
            timer.start()
            try:
                yield child
                if feed:
                    child.stdin.close()
            except BrokenPipeError:  # it stopped reading: its errors say why
                broken = True
            child.wait()
        finally:
            timer.cancel()
            if feed:
                with contextlib.suppress(OSError):  # closed, if only to end it
                    child.stdin.close()
            end_child(child)
            RUNNING.discard(child)
            reader.join(STOP_WAIT_SECONDS)
    if overdue:
        raise Failure("%s (ffmpeg did not finish within %d s)" % (what, limit))
    if child.returncode != 0 or broken:
        raise Failure("%s (%s)" % (what, last_line(errors, "ffmpeg exit status %d"
                                                   % child.returncode)))


def end_all():
    """Kills every ffmpeg still running (those of other threads): their runs then end."""
    for child in list(RUNNING):
        with contextlib.suppress(OSError):
            child.kill()


def start_ffmpeg(command, capture=True, feed=False):
    """ffmpeg started with its errors piped; stdout piped if `capture`, stdin if `feed` (else
    closed)."""
    try:
        if DEATH_SIGNAL and not shutil.which(command[0]):  # else setpriv would say it, less clearly
            raise PermissionError(errno.EACCES, "not an executable program")
        return subprocess.Popen(child_command(command),
                                stdin=subprocess.PIPE if feed else subprocess.DEVNULL,
                                stdout=subprocess.PIPE if capture else subprocess.DEVNULL,
                                stderr=subprocess.PIPE, **child_options())
    except OSError as error:
        raise Failure("ffmpeg failed to start (%s): %s; reinstall ffmpeg"
                      % (command[0], error.strerror or error))


def last_line(errors, otherwise):
    """ffmpeg's last line of errors, shortened; `otherwise` when it wrote none."""
    lines = bytes(errors).decode("utf-8", "replace").strip().splitlines()
    return shorten(lines[-1] if lines else otherwise)


def time_limit(samples):
    """How long an ffmpeg run over `samples` of audio may take before it is taken for hung."""
    return TIME_LIMIT_SECONDS + 2 * samples // SAMPLE_RATE


# ---------------------------------------------------------------------------------------------
# Pieces


# How ffmpeg lists the first audio stream's packets as stored: per packet its times (in the
# stream's time base), size and SHA-256, and a header with the codec, its set-up data, the time
# base, sample rate and channels.
PACKETS = ["-map", "0:a:0", "-c", "copy", "-f", "framehash", "-hash", "sha256"]
# How the first audio stream is decoded to be measured or worked on: raw samples of the fixed
# rate and channels, 16 bits.
DECODED = ["-map", "0:a:0", "-vn", "-ac", str(CHANNELS), "-ar", str(SAMPLE_RATE), "-c:a",
           "pcm_s16le", "-f", "s16le"]
FRAME_BYTES = 2 * CHANNELS  # one sample of every channel
NO_TIME = -2 ** 63  # how a packet without a time is listed


# Below this size a file is decoded at once rather than listed first: decoding it costs no more
# than starting the ffmpeg that would list it.
LISTED_FIRST_BYTES = 4 << 20
# What one ffmpeg run lists of several files at most (see listed_groups).
LISTED_TOGETHER_BYTES = 256 << 20
LISTED_TOGETHER_FILES = 64


def measure(ffmpeg, path, index=None, guess=False, listing=None, identity=None):
    """The audio's length in samples at SAMPLE_RATE and a digest of its decoded samples (stereo,
    16 bits): two files with the same audio give the same digest, whatever their container or
    codec. With an `index` (the cache), audio whose packets were decoded before is not decoded
    again: reading its packets as stored takes a fraction of the time (unless the file is small:
    it is then decoded at once). With `guess` too, audio the index does not know is not decoded
    either: (at least its length, from its packets, None). `listing` is the file's packets when
    they were listed already (see listed_together), `identity` the file's (see Cache.identity),
    taken before; the index notes it, so that the file unchanged is not listed again."""
    if index and listing is None:
        identity = index.identity(path)
        remembered = index.listed(identity)
        if remembered:  # listed before, unchanged since: its packets are known without ffmpeg
            found = recalled(index, remembered[0], guess and remembered[1])
            if found:
                return found
        if guess or file_size(path) >= LISTED_FIRST_BYTES:
            listing = run_ffmpeg(ffmpeg, ["-i", path] + PACKETS + ["-"],
                                 "bad input file %s: ffmpeg cannot read audio from it" % path,
                                 capture=True)
    if index and listing is not None:
        packets, length = hashlib.sha256(listing).hexdigest(), packet_length(listing)
        if length:
            index.note_listed(identity, packets, length)
        found = recalled(index, packets, guess and length)
        if found:
            return found
    return decode(ffmpeg, path, index)


def recalled(index, packets, length):
    """What measure() says of audio whose packets' listing has the digest `packets`: what they
    decode to, when decoded before; else (`length`, None) when a length is given; else None."""
    return index.recall(packets) or (length and (length, None)) or None


def known(path, index):
    """What measure() says of a file listed before and unchanged since, whose packets were
    decoded before; None otherwise."""
    remembered = index.listed(index.identity(path))
    return remembered and recalled(index, remembered[0], None)


def file_size(path):
    with contextlib.suppress(OSError):
        return os.path.getsize(path)
    return 0  # ffmpeg says why it cannot be read


def listed_groups(paths):
    """`paths` in groups that one ffmpeg run lists together (see listed_together): a run's start
    costs more than listing a short file, but a few long ones are better listed side by side."""
    groups, size = [], 0
    for path in paths:
        size += file_size(path)
        if not groups or size > LISTED_TOGETHER_BYTES or len(groups[-1]) >= LISTED_TOGETHER_FILES:
            groups.append([])
            size = file_size(path)
        groups[-1].append(path)
    return groups


def listed_together(ffmpeg, paths, index=None):
    """The packet listings (see PACKETS) of `paths` from one ffmpeg run; None for a file that
    cannot be read (the others are listed still). With an `index`, the same run decodes the
    files too small to be listed first (see LISTED_FIRST_BYTES) as decode() does, and the index
    learns what their packets decode to: a piece's conversion then starts no ffmpeg to measure
    it."""
    if not paths:
        return []
    decoded = [index and file_size(path) < LISTED_FIRST_BYTES for path in paths]
    if len(paths) == 1 and not decoded[0]:
        return [listed_alone(ffmpeg, paths[0])]
    with tempfile.TemporaryDirectory(prefix="voxsplice-") as folder:
        targets = [os.path.join(folder, "%d.packets" % i) for i in range(len(paths))]
        args = [word for path in paths for word in ("-threads", "1", "-i", path)]
        for i, target in enumerate(targets):
            args += ["-map", "%d:a:0" % i] + PACKETS[2:] + [target]
            if decoded[i]:  # the samples' digest and, packet by packet, their size
                samples = ["-map", "%d:a:0" % i] + DECODED[2:-2]
                args += samples + ["-f", "hash", "-hash", "sha256", target + ".sha256"]
                args += samples + ["-f", "framecrc", target + ".sizes"]
        try:
            run_ffmpeg(ffmpeg, args, "ffmpeg cannot list the packets of %d files" % len(paths))
        except Failure:  # one of them cannot be read: which, each run alone says
            return [listed_alone(ffmpeg, path) for path in paths]
        listed = []
        for target, decode_too in zip(targets, decoded):
            with open(target, "rb") as handle:
                listed.append(handle.read())
            if decode_too:
                learn_decoded(index, listed[-1], target)
        return listed


def learn_decoded(index, listing, target):
    """Has the index learn what the packets of `listing` decode to, from the digest and the
    sizes listed_together() wrote beside `target`."""
    with open(target + ".sha256", "rb") as handle:
        digest = handle.read().decode("ascii", "replace").strip().partition("=")[2]
    with open(target + ".sizes", "rb") as handle:
        sizes = [line.split(b",") for line in handle.read().splitlines()
                 if line and not line.startswith(b"#")]
    with contextlib.suppress(ValueError, IndexError):
        samples = sum(int(row[4]) for row in sizes) // FRAME_BYTES
        if samples and re.fullmatch("[0-9a-f]{64}", digest):
            index.learn(hashlib.sha256(listing).hexdigest(), (samples, digest))


def listed_alone(ffmpeg, path):
    with contextlib.suppress(Failure):
        return run_ffmpeg(ffmpeg, ["-i", path] + PACKETS + ["-"], "", capture=True)
    return None


def decode(ffmpeg, path, index=None):
    """measure() by decoding. With an `index`, the same ffmpeg run lists the packets it decodes,
    and the index learns what they decode to: read once for both, they belong together even if
    the file changes meanwhile. Pieces are measured several at once, so the decoder gets no
    threads of its own: they would only add their overhead (a third more time on ALAC)."""
    command = [ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-threads", "1",
               "-i", path] + DECODED + ["-"]
    listing = None
    identity = index and index.identity(path)
    with contextlib.suppress(OSError):  # no temporary folder: the index learns nothing
        if index:
            handle, listing = tempfile.mkstemp(prefix="voxsplice-", suffix=".packets")
            os.close(handle)
    digest, size = hashlib.sha256(), [0]

    def take(chunk):
        digest.update(chunk)
        size[0] += len(chunk)

    try:
        run(command + (PACKETS + [listing] if listing else []),
            "bad input file %s: ffmpeg cannot read audio from it" % path, take)
        if not size[0]:
            raise Failure("bad input file %s: it holds no audio" % path)
        measured = size[0] // (2 * CHANNELS), digest.hexdigest()
        if listing:
            with open(listing, "rb") as packets:
                listed = hashlib.sha256(packets.read()).hexdigest()
            index.learn(listed, measured)
            index.note_listed(identity, listed, measured[0])
        return measured
    finally:
        if listing:
            with contextlib.suppress(OSError):
                os.remove(listing)


def packet_length(listing):
    """At least the length in samples at SAMPLE_RATE that the packets of a listing decode to;
    None when a packet has no time or no duration. A container may round its times (Matroska
    keeps milliseconds: a packet's time and its duration may each be short by up to one unit)
    and leave an encoder's priming and padding to the decoder: the priming is within the span of
    the packets' times, but a last packet said to be short may still decode whole, as long as
    the longest. Resampling may round up by a sample."""
    text = listing.decode("utf-8", "replace")
    base = re.search(r"^#tb 0: (\d+)/(\d+)$", text, re.MULTILINE)
    rows = [line.split(",") for line in text.splitlines() if line and not line.startswith("#")]
    try:
        times = [(int(row[2]), int(row[3])) for row in rows]  # (time, duration)
    except (ValueError, IndexError):  # a listing of another layout: the length is not known
        return None
    if not base or not times or min(times)[0] == NO_TIME or min(d for _, d in times) <= 0:
        return None
    longest = max(duration for _, duration in times)
    span = max(sum(duration for _, duration in times), max(times)[0] + longest - min(times)[0]) + 2
    return -(-span * int(base.group(1)) * SAMPLE_RATE // int(base.group(2))) + 1


def rubberband_memo(ffmpeg, kept):
    """Where the cache `kept` notes whether this ffmpeg (its path, size and time) has the
    rubberband filter; None without a cache or an ffmpeg to name."""
    if not kept:
        return None
    with contextlib.suppress(OSError):
        info = os.stat(ffmpeg)
        return kept.path(hashlib.sha256(("filters|%s|%d|%d" % (
            os.path.realpath(ffmpeg), info.st_size, info.st_mtime_ns)).encode()).hexdigest(),
            ".filters")
    return None


def noted(memo):
    """What `memo` notes: True, False, or None when nothing is noted there."""
    if memo:
        with contextlib.suppress(OSError), open(memo, "rb") as handle:
            return handle.read() == b"1"
    return None


def note(kept, memo, found):
    """Notes at `memo` in the cache `kept` whether the filter was found."""
    if memo:
        kept.write(memo, lambda sink: sink.write(b"1" if found else b"0"))


def lists_rubberband(ffmpeg, kept, memo):
    """Whether this ffmpeg's list of filters names rubberband; noted at `memo` in the cache
    `kept`."""
    listing = run_ffmpeg(ffmpeg, ["-filters"], "ffmpeg failed to list its filters", capture=True)
    found = re.search(rb"^\s*\S+\s+rubberband\s", listing, re.MULTILINE) is not None
    note(kept, memo, found)
    return found


def change_pitch(ffmpeg, source, target, samples, semitones, kept=None):
    """Writes `source` as a piece `semitones` higher or lower, with rubberband where this ffmpeg
    has it. Tried with it first, so that no ffmpeg starts only to list its filters: only an
    ffmpeg that fails with it is asked, and one without rubberband is noted in the cache `kept`
    and not tried with it again."""
    what = "ffmpeg failed to change the voice"
    memo = rubberband_memo(ffmpeg, kept)
    known = noted(memo)
    if known is not False:
        try:
            encode_piece(ffmpeg, source, target, samples, pitch_filter(semitones, True), what)
        except Failure as failure:
            if failure.kind == "stopped" or known or lists_rubberband(ffmpeg, kept, memo):
                raise
        else:
            if known is None:
                note(kept, memo, True)
            return
    encode_piece(ffmpeg, source, target, samples, pitch_filter(semitones, False), what)


def piece_filters(samples):
    """The filters that make any audio the fixed format, exactly `samples` long."""
    return ("aresample=%d,aformat=sample_fmts=%s:sample_rates=%d:channel_layouts=%s,"
            "apad=whole_len=%d,atrim=end_sample=%d"
            % (SAMPLE_RATE, SAMPLE_FORMAT, SAMPLE_RATE, CHANNEL_LAYOUT, samples, samples))


# How a piece is written. The container states its length to the sample (its timescale is the
# sample rate, not milliseconds), so that a join places the next piece exactly where this one
# ends.
PIECE_OUTPUT = ["-map_metadata", "-1", "-c:a", CODEC, "-ar", str(SAMPLE_RATE), "-ac",
                str(CHANNELS), "-movie_timescale", str(SAMPLE_RATE), "-f", CONTAINER]


def encode_piece(ffmpeg, source, target, samples, voice_filter, what):
    """Writes `source` as the fixed output format, exactly `samples` long."""
    chain = ([voice_filter] if voice_filter else []) + [piece_filters(samples)]
    run_ffmpeg(ffmpeg, ["-i", source, "-map", "0:a:0", "-vn", "-sn", "-dn", "-af",
                        ",".join(chain)] + PIECE_OUTPUT + [target], what,
               limit=time_limit(samples))


def mix_pieces(ffmpeg, first, second, graph, target, samples, what):
    """Writes the audio that `graph` makes of two inputs ([0:a] and [1:a]) as a piece."""
    run_ffmpeg(ffmpeg, ["-i", first, "-i", second, "-filter_complex",
                        "%s,%s" % (graph, piece_filters(samples))] + PIECE_OUTPUT + [target],
               what, limit=time_limit(samples))


def encode_silence(ffmpeg, target, samples):
    """Writes silence in the fixed output format, exactly `samples` long."""
    run_ffmpeg(ffmpeg, ["-f", "lavfi", "-i", "anullsrc=r=%d:cl=%s" % (SAMPLE_RATE, CHANNEL_LAYOUT),
                        "-af", piece_filters(samples)] + PIECE_OUTPUT + [target],
               "ffmpeg failed to write silence", limit=time_limit(samples))


# ---------------------------------------------------------------------------------------------
# Converted turns laid back into the original


# A turn: the samples [at, at + length) of the converted piece `piece` go to the sample `start`
# of the original.
Turn = collections.namedtuple("Turn", "piece at start length")


def lay_turns(ffmpeg, original, turns, fade, target, limit=TIME_LIMIT_SECONDS):
    """Writes the audio of `original` as a piece to `target`, `turns` (in order, apart) laid into
    it, each fading in from the original over its first `fade` samples and back over its last
    (at most half the turn each); returns its length in samples. Streamed: one ffmpeg decodes
    the original to a pipe and one encodes the result from a pipe, so memory stays small however
    long the video; a piece is decoded when its first turn comes, and let go after its last."""
    layer = Layer(ffmpeg, turns, fade)
    encode = [ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-y", "-f", "s16le",
              "-ar", str(SAMPLE_RATE), "-ac", str(CHANNELS), "-i", "-", "-af",
              "aformat=sample_fmts=%s:channel_layouts=%s" % (SAMPLE_FORMAT, CHANNEL_LAYOUT)]
    decode = [ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-i", original] + DECODED
    try:
        with watched(encode + PIECE_OUTPUT + [target], "ffmpeg failed to write %s" % target,
                     limit, feed=True) as encoder:
            run(decode + ["-"], "bad original %s: ffmpeg cannot read audio from it" % original,
                lambda chunk: encoder.stdin.write(layer.take(chunk)), limit)
            layer.finish()
    finally:
        layer.close()
    return layer.done


class Layer:
    """Lays turns into the original's samples as they stream past. The decoded samples of each
    piece wait in an unnamed temporary file (a piece of five minutes is 50 MB) from its first
    turn to its last."""

    def __init__(self, ffmpeg, turns, fade):
        self.ffmpeg, self.turns, self.fade = ffmpeg, turns, fade
        self.next = 0  # the first turn not yet laid whole
        self.done = 0  # samples of the original passed on
        self.rest = b""  # the start of a sample cut off at the end of a chunk
        self.last = {turn.piece: index for index, turn in enumerate(turns)}
        self.pieces = {}  # piece: (file of its decoded samples, its length in samples)

    def take(self, chunk):
        """The original's samples in `chunk` (any size), with the turns among them laid in."""
        data = self.rest + chunk
        whole = len(data) - len(data) % FRAME_BYTES
        data, self.rest = bytearray(data[:whole]), data[whole:]
        start, end = self.done, self.done + whole // FRAME_BYTES
        while self.next < len(self.turns) and self.turns[self.next].start < end:
            index, turn = self.next, self.turns[self.next]
            first, last = max(start, turn.start), min(end, turn.start + turn.length)
            span = slice((first - start) * FRAME_BYTES, (last - start) * FRAME_BYTES)
            data[span] = self.blend(index, first - turn.start, last - first, data[span])
            if last < turn.start + turn.length:
                break  # goes on in the next chunk
            self.let_go(index)
            self.next += 1
        self.done = end
        return data

    def blend(self, index, offset, count, under):
        """The samples [offset, offset + count) of turn `index` over those of the original."""
        turn = self.turns[index]
        handle, length = self.piece(index)
        if offset == 0 and turn.at + turn.length > length:
            raise Failure("turn %d (from sample %d of the original) takes the samples %d to %d "
                          "of %s, which has %d" % (index + 1, turn.start, turn.at,
                                                   turn.at + turn.length, turn.piece, length))
        handle.seek((turn.at + offset) * FRAME_BYTES)
        over = handle.read(count * FRAME_BYTES)
        fade = min(self.fade, turn.length // 2)
        fading = [i for stretch in (range(offset, min(offset + count, fade)),
                                    range(max(offset, turn.length - fade), offset + count))
                  for i in stretch]
        if not fading:
            return over
        over, under = array.array("h", over), array.array("h", under)
        for i in fading:  # a straight line between the two, never quite either inside the fade
            weight = (i + 1 if i < fade else turn.length - i) / (fade + 1)
            for k in range((i - offset) * CHANNELS, (i - offset + 1) * CHANNELS):
                over[k] = round(under[k] + (over[k] - under[k]) * weight)
        return over.tobytes()

    def piece(self, index):
        path = self.turns[index].piece
        if path not in self.pieces:
            handle = tempfile.TemporaryFile(prefix="voxsplice-")
            self.pieces[path] = handle, 0
            run([self.ffmpeg, "-nostdin", "-hide_banner", "-loglevel", "error", "-i", path]
                + DECODED + ["-"], "bad piece %s: ffmpeg cannot read audio from it" % path,
                handle.write)
            self.pieces[path] = handle, handle.tell() // FRAME_BYTES
        return self.pieces[path]

    def let_go(self, index):
        path = self.turns[index].piece
        if self.last[path] == index and path in self.pieces:
            self.pieces.pop(path)[0].close()

    def finish(self):
        if self.next < len(self.turns):
            turn = self.turns[self.next]
            raise Failure("turn %d (samples %d to %d) reaches past the end of the original (%d "
                          "samples)" % (self.next + 1, turn.start, turn.start + turn.length,
                                        self.done))

    def close(self):
        for handle, _ in self.pieces.values():
            handle.close()
        self.pieces.clear()


# ---------------------------------------------------------------------------------------------
# Offline voice


def offline_semitones(voice_id):
    digest = hashlib.sha256(voice_id.encode("utf-8")).digest()
    return OFFLINE_SHIFTS[digest[0] % len(OFFLINE_SHIFTS)]


def pitch_filter(semitones, rubberband):
    ratio = 2.0 ** (semitones / 12.0)
    if rubberband:
        return "rubberband=pitch=%.6f:formant=shifted:pitchq=quality" % ratio
    # Without rubberband: play faster (pitch and formants up), then stretch back to length.
    shifted = int(round(SAMPLE_RATE * ratio))
    return "aresample=%d,asetrate=%d,aresample=%d,atempo=%.6f" % (
        SAMPLE_RATE, shifted, SAMPLE_RATE, SAMPLE_RATE / shifted)
