"""Tests for convert.py, run as the program runs it, against the stand-in service."""

import array
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(os.path.dirname(os.path.dirname(HERE)), "src", "script")
sys.path[:0] = [HERE, SCRIPT]
from standin_service import StandinService  # noqa: E402
from voxconvert import audio  # noqa: E402

FFMPEG = os.environ.get("VOXSPLICE_FFMPEG") or shutil.which("ffmpeg")
KEY = "sk-TOKEN-OKAY-7f3a9c"
SET_KEY = "set it with Tools > Set elevenlabs_api_key env var"
FRAME = 1024 / 44100
FORMAT = ("alac", 44100, "stereo")
root = work = None
media = {}


def ffmpeg(*args):
    return subprocess.run([FFMPEG, "-nostdin", "-hide_banner", "-loglevel", "error", "-y"]
                          + list(args), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, check=True).stdout


def stream_format(path):
    """(codec, sample rate, channel layout) of the first audio stream, from `ffmpeg -i`."""
    probe = subprocess.run([FFMPEG, "-nostdin", "-hide_banner", "-i", path],
                           stdin=subprocess.DEVNULL, capture_output=True, text=True)
    match = re.search(r"Audio: (\w+).*?, (\d+) Hz, (\w+)", probe.stderr)
    return (match.group(1), int(match.group(2)), match.group(3)) if match else None


def decoded_seconds(path):
    """Length of the decoded audio, counted in samples at the file's own rate."""
    rate = stream_format(path)[1]
    return len(ffmpeg("-i", path, "-map", "0:a:0", "-ac", "1", "-f", "f32le", "-")) / 4 / rate


def make_sine(name, seconds, frequency, rate, channels):
    path = os.path.join(root, name)
    ffmpeg("-f", "lavfi", "-i", "sine=frequency=%d:duration=%s:sample_rate=%d"
           % (frequency, seconds, rate), "-ac", str(channels), "-c:a", "aac", path)
    return path


def install_script(folder):
    """Puts convert.py and its package into `folder`, as the build does; returns the script."""
    shutil.copytree(os.path.join(SCRIPT, "voxconvert"), os.path.join(folder, "voxconvert"),
                    ignore=shutil.ignore_patterns("__pycache__"))
    return shutil.copy(os.path.join(SCRIPT, "convert.py"), folder)


def live_group(pgid):
    """Names of the processes in group `pgid` that still run (a zombie has ended)."""
    names = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % pid) as handle:
                name, _, rest = handle.read().rpartition(") ")
        except OSError:  # ended meanwhile
            continue
        if rest.split()[2] == str(pgid) and rest[0] != "Z":
            names.append(name.partition("(")[2])
    return names


def wait_for(condition, seconds=10):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.05)
    return True


def closed_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def setUpModule():
    global root, work
    if not FFMPEG:
        raise unittest.SkipTest("ffmpeg not found (set VOXSPLICE_FFMPEG)")
    # "BOOKS" in every path: failure lines must echo paths unchanged, "OK" and all.
    root = tempfile.mkdtemp(prefix="voxsplice-BOOKS-")
    work = os.path.join(root, "work")
    os.makedirs(os.path.join(work, "ffmpeg", "bin"))
    install_script(work)
    os.symlink(os.path.abspath(FFMPEG), os.path.join(work, "ffmpeg", "bin", "ffmpeg"))
    media["a"] = make_sine("a.mp4", 3, 440, 44100, 2)
    media["b"] = make_sine("b.mp4", 2.3, 300, 48000, 1)
    media["sliver"] = make_sine("sliver.mp4", 0.03, 440, 44100, 2)


def tearDownModule():
    if root:
        shutil.rmtree(root, ignore_errors=True)


class ConvertCase(unittest.TestCase):
    """Runs the working folder's convert.py with fast retry settings."""

    @classmethod
    def setUpClass(cls):
        cls.service = StandinService(key=KEY, lifetime=90).start()

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()

    def setUp(self):
        self.service.set_mode("ok", length_delta=0.0)
        self.service.clear_requests()
        self.out_dir = tempfile.mkdtemp(prefix="OUTBOOKS-", dir=root)
        self.output = os.path.join(self.out_dir, "3.mp4")

    def command(self, args=None, key=KEY, script=None, **settings):
        """The command line and environment of a run of the working folder's convert.py."""
        env = {name: value for name, value in os.environ.items()
               if not name.startswith(("VOXSPLICE_", "ELEVENLABS_", "elevenlabs_"))
               and "proxy" not in name.lower()}
        env.update(ELEVENLABS_API_BASE=self.service.url, VOXSPLICE_RETRY_BASE_SECONDS="0.01",
                   VOXSPLICE_MAX_TRIES="3", VOXSPLICE_HTTP_TIMEOUT="20")
        if key is not None:
            env["elevenlabs_api_key"] = key
        env.update({name: str(value) for name, value in settings.items()})
        if args is None:
            args = [media["a"], self.output, "voiceA"]
        return [sys.executable, script or os.path.join(work, "convert.py")] + args, env

    def run_convert(self, *args, **settings):
        command, env = self.command(*args, **settings)
        return subprocess.run(command, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, timeout=60)

    def assert_converted(self, result, source, output=None):
        output = output or self.output
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("OK", result.stdout)
        self.assertEqual(stream_format(output), FORMAT)
        self.assertAlmostEqual(decoded_seconds(output), decoded_seconds(source), delta=FRAME)

    def assert_failed(self, result, *words, requests):
        text = result.stdout + result.stderr
        self.assertEqual(result.returncode, 1, text)  # the caller trusts "OK" only with 0
        for key in (KEY, "wrong-key"):
            self.assertNotIn(key, text)
        self.assertEqual(len(result.stderr.strip().splitlines()), 1, result.stderr)
        for word in words:
            self.assertIn(word, text)
        self.assertEqual(len(self.service.requests), requests)
        self.assertEqual(os.listdir(self.out_dir), [], "a failed run left files behind")


class ServiceAnswerTest(ConvertCase):
    def test_converts_to_fixed_format_with_input_length(self):
        # A sliver (the segment muxer can leave one at the end) stays silent, without a request.
        for name, delta in (("a", 0.0), ("a", 0.7), ("b", -0.5), ("sliver", 0.0)):
            with self.subTest(input=name, delta=delta):
                self.service.set_mode("ok", length_delta=delta)
                self.service.clear_requests()
                result = self.run_convert([media[name], self.output, "voice/A b"])
                self.assert_converted(result, media[name])
                self.assertEqual(os.listdir(self.out_dir), ["3.mp4"])
                if name == "sliver":
                    self.assertEqual(self.service.requests, [])
                    continue
                [request] = self.service.requests
                self.assertEqual(request["voice_id"], "voice/A b")
                self.assertEqual(request["headers"]["xi-api-key"], KEY)
                self.assertEqual(request["fields"]["model_id"], "eleven_multilingual_sts_v2")
                self.assertEqual(request["fields"]["audio"]["content_type"], "audio/mp4")
                self.assertEqual(request["fields"]["audio"]["size"], os.path.getsize(media[name]))
                self.assertIn(request["query"].get("output_format", "mp3_44100_128"),
                              "mp3_44100_128")

    def test_trouble_with_the_service(self):
        """Refusals fail at once; passing trouble is tried again within the bounds set."""
        window = dict(VOXSPLICE_RETRY_BASE_SECONDS=2, VOXSPLICE_RETRY_MAX_SECONDS=0.5)
        stall = dict(VOXSPLICE_HTTP_TIMEOUT=0.5, VOXSPLICE_MAX_TRIES=2)
        # mode, requests it fails, settings, requests made, failure line (None: converted)
        cases = [("ok", None, {"key": "wrong-key"}, 1, ("invalid key", SET_KEY)),
                 ("invalid_key", None, {}, 1, ("invalid key", SET_KEY)),
                 ("quota_exceeded", None, {}, 1, ("quota exceeded", "credits")),
                 ("voice_not_found", None, {}, 1, ("voice not found", "id voiceBOOKS")),
                 ("validation_error", None, {}, 1, ("invalid", "body.audio: Field required OK")),
                 ("busy_twice", None, {}, 3, None), ("truncated", 1, {}, 2, None),
                 ("truncated", None, {}, 3, ("connection", "3 tries")),
                 ("server_error", None, {}, 3, ("busy", "3 tries")),
                 ("server_error", None, window, 1, ("busy", "1 try")),
                 ("stall", None, stall, 2, ("did not answer within 0.5 s",))]
        for mode, fail_count, settings, requests, words in cases:
            with self.subTest(mode=mode, fail_count=fail_count, settings=settings):
                self.service.set_mode(mode, fail_count=fail_count)
                self.service.clear_requests()
                with open(self.output, "wb") as handle:
                    handle.write(b"earlier")
                result = self.run_convert([media["a"], self.output, "voiceBOOKS"], **settings)
                if words is None:
                    self.assert_converted(result, media["a"])
                    self.assertEqual(len(self.service.requests), requests)
                    continue
                with open(self.output, "rb") as handle:
                    self.assertEqual(handle.read(), b"earlier")  # a failure keeps what was there
                os.remove(self.output)
                self.assert_failed(result, *words, requests=requests)


class LocalFailureTest(ConvertCase):
    def test_local_failures_name_the_cause_and_make_no_request(self):
        garbage = os.path.join(root, "garbage.mp4")
        with open(garbage, "w") as handle:
            handle.write("not a video")
        missing, nope = os.path.join(root, "missing.mp4"), os.path.join(root, "nope")
        bare = tempfile.mkdtemp(prefix="bare-", dir=root)
        closed = "http://127.0.0.1:%d/" % closed_port()
        a, out, no_key = media["a"], self.output, ("no ElevenLabs key", SET_KEY)
        cases = [([], {}, ("usage",)), ([a, out], {}, ("usage",)),
                 ([a, out, "v", "extra"], {}, ("usage",)),
                 ([missing, out, "v"], {}, ("input file not found: " + missing,)),
                 ([a, out, " "], {}, ("voice id is empty",)),
                 ([a, os.path.join(nope, "3.mp4"), "v"], {}, ("does not exist: " + nope,)),
                 ([garbage, out, "v"], {}, ("bad input file " + garbage,)),
                 (None, {"key": None}, no_key), (None, {"key": "  \n"}, no_key),
                 (None, {"key": None, "VOXSPLICE_OFFLINE_VOICE": "0"}, no_key),
                 (None, {"key": None, "VOXSPLICE_OFFLINE_VOICE": "yes"}, no_key),
                 (None, {"script": install_script(bare)},
                  ("ffmpeg not found at " + os.path.join(bare, "ffmpeg", "bin"),)),
                 (None, {"VOXSPLICE_FFMPEG": os.path.join(bare, "none")},
                  ("ffmpeg not found", "VOXSPLICE_FFMPEG")),
                 (None, {"ELEVENLABS_API_BASE": closed, "VOXSPLICE_MAX_TRIES": 2},
                  ("network unreachable", "127.0.0.1"))]
        for args, settings, words in cases:
            with self.subTest(args=args, settings=settings):
                self.assert_failed(self.run_convert(args, **settings), *words, requests=0)


def tone_frequency(path):
    """Frequency of a pure tone, from its rising zero crossings (edges left out)."""
    pcm = array.array("h", ffmpeg("-i", path, "-ac", "1", "-ar", "44100", "-f", "s16le", "-"))
    pcm = pcm[4410:-4410]
    rising = sum(1 for i in range(1, len(pcm)) if pcm[i - 1] < 0 <= pcm[i])
    return rising * 44100 / len(pcm)


class OfflineVoiceTest(ConvertCase):
    def test_offline_voice_needs_no_key_nor_service_and_keeps_length(self):
        result = self.run_convert(key=None, VOXSPLICE_OFFLINE_VOICE=1)
        self.assert_converted(result, media["a"])
        self.assertEqual(self.service.requests, [])
        shift = audio.offline_semitones("voiceA")  # as the script's own process picked it
        self.assertAlmostEqual(tone_frequency(self.output), 440 * 2 ** (shift / 12), delta=4)
        shifts = {audio.offline_semitones(voice) for voice in "abcdefgh"}
        self.assertTrue(len(shifts) > 1 and 0 not in shifts, shifts)
        samples = audio.count_samples(FFMPEG, media["b"])
        target = os.path.join(self.out_dir, "fallback.mp4")  # the filter without rubberband
        audio.encode_piece(FFMPEG, media["b"], target, samples,
                           audio.pitch_filter(-4, rubberband=False), "fallback")
        self.assertEqual(stream_format(target), FORMAT)
        self.assertAlmostEqual(decoded_seconds(target), decoded_seconds(media["b"]), delta=FRAME)
        self.assertAlmostEqual(tone_frequency(target), 300 * 2 ** (-4 / 12), delta=3)


@unittest.skipUnless(sys.platform.startswith("linux"), "watches processes through /proc")
class StopTest(ConvertCase):
    def test_stopped_or_killed_script_leaves_no_ffmpeg(self):
        # An ffmpeg that works until it is to write the piece, then hangs (as `sleep`).
        hanging = os.path.join(root, "hanging-ffmpeg")
        with open(hanging, "w") as handle:
            handle.write('#!/bin/sh\ncase "$*" in *alac*) exec sleep 60;; esac\nexec "%s" "$@"\n'
                         % os.path.abspath(FFMPEG))
        os.chmod(hanging, 0o755)
        for stop in (signal.SIGTERM, signal.SIGKILL):
            with self.subTest(signal=stop.name):
                command, env = self.command(key=None, VOXSPLICE_OFFLINE_VOICE=1,
                                            VOXSPLICE_FFMPEG=hanging)
                child = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, text=True,
                                         stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                         start_new_session=True)
                self.addCleanup(subprocess.run, ["kill", "-KILL", "--", "-%d" % child.pid],
                                stderr=subprocess.DEVNULL)
                self.assertTrue(wait_for(lambda: "sleep" in live_group(child.pid)),
                                "ffmpeg never came to write the piece")
                self.assertTrue(os.listdir(self.out_dir))  # its temporary file
                child.send_signal(stop)
                out, err = child.communicate(timeout=30)
                # Polled through /proc: an orphan that has died may stay an unreaped zombie.
                self.assertTrue(wait_for(lambda: not live_group(child.pid), 5),
                                "ffmpeg outlived the script: %s" % live_group(child.pid))
                if stop == signal.SIGTERM:
                    result = subprocess.CompletedProcess(command, child.returncode, out, err)
                    self.assert_failed(result, "stopped", requests=0)
                else:
                    self.assertEqual(child.returncode, -signal.SIGKILL)


class JoinTest(ConvertCase):
    def test_pieces_join_without_drift(self):
        pieces = []
        for name, delta in (("a", 0.7), ("b", -0.5), ("a", -0.3)):
            self.service.set_mode("ok", length_delta=delta)
            piece = os.path.join(self.out_dir, "%d.mp4" % len(pieces))
            self.assert_converted(self.run_convert([media[name], piece, "v"]), media[name],
                                  piece)
            pieces.append(piece)
        listing = os.path.join(root, "join.txt")
        with open(listing, "w", encoding="utf-8") as handle:
            handle.writelines("file '%s'\n" % piece.replace("'", "'\\''") for piece in pieces)
        joined = os.path.join(root, "joined.mp4")
        ffmpeg("-f", "concat", "-safe", "0", "-i", listing, "-c", "copy", joined)
        expected = sum(decoded_seconds(media[name]) for name in ("a", "b", "a"))
        self.assertAlmostEqual(decoded_seconds(joined), expected, delta=0.025)


if __name__ == "__main__":
    unittest.main()
