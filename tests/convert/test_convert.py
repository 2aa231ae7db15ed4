"""Tests for convert.py, run as the program runs it, against the stand-in service."""

import array
import importlib.util
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
CONVERT = os.path.join(os.path.dirname(os.path.dirname(HERE)), "src", "script", "convert.py")
sys.path.insert(0, HERE)
from standin_service import StandinService  # noqa: E402

FFMPEG = os.environ.get("VOXSPLICE_FFMPEG") or shutil.which("ffmpeg")
KEY = "sk-TOKEN-OKAY-7f3a9c"  # holds "OK": if it leaked it would also trip the OK check
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


def closed_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def setUpModule():
    global root, work
    if not FFMPEG:
        raise unittest.SkipTest("ffmpeg not found (set VOXSPLICE_FFMPEG)")
    # "BOOK" in every path: a failure line that echoes a path must still hold no "OK".
    root = tempfile.mkdtemp(prefix="voxsplice-BOOK-")
    work = os.path.join(root, "work")
    os.makedirs(os.path.join(work, "ffmpeg", "bin"))
    shutil.copy(CONVERT, work)
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
        self.out_dir = tempfile.mkdtemp(prefix="OUTBOOK-", dir=root)
        self.output = os.path.join(self.out_dir, "3.mp4")

    def run_convert(self, args=None, key=KEY, script=None, **settings):
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
        return subprocess.run([sys.executable, script or os.path.join(work, "convert.py")]
                              + args, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, timeout=60)

    def assert_converted(self, result, source, output=None):
        output = output or self.output
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("OK", result.stdout)
        self.assertEqual(stream_format(output), FORMAT)
        self.assertAlmostEqual(decoded_seconds(output), decoded_seconds(source), delta=FRAME)

    def assert_failed(self, result, *words, requests=None):
        text = result.stdout + result.stderr
        self.assertEqual(result.returncode, 1, text)
        self.assertNotIn("OK", text)
        self.assertNotIn(KEY, text)
        self.assertEqual(len(result.stderr.strip().splitlines()), 1, result.stderr)
        for word in words:
            self.assertIn(word.lower(), text.lower())
        if requests is not None:
            self.assertEqual(len(self.service.requests), requests)
        self.assertEqual(os.listdir(self.out_dir), [], "a failed run left files behind")


class ServiceAnswerTest(ConvertCase):
    def test_converts_to_fixed_format_with_input_length(self):
        for name, delta in (("a", 0.0), ("a", 0.7), ("b", -0.5)):
            with self.subTest(input=name, delta=delta):
                self.service.set_mode("ok", length_delta=delta)
                self.service.clear_requests()
                result = self.run_convert([media[name], self.output, "voice/A b"])
                self.assert_converted(result, media[name])
                self.assertEqual(os.listdir(self.out_dir), ["3.mp4"])
                [request] = self.service.requests
                self.assertEqual(request["voice_id"], "voice/A b")
                self.assertEqual(request["headers"]["xi-api-key"], KEY)
                self.assertEqual(request["fields"]["model_id"], "eleven_multilingual_sts_v2")
                self.assertEqual(request["fields"]["audio"]["content_type"], "audio/mp4")
                self.assertEqual(request["fields"]["audio"]["size"], os.path.getsize(media[name]))
                self.assertIn(request["query"].get("output_format", "mp3_44100_128"),
                              "mp3_44100_128")

    def test_a_sliver_without_speech_stays_silent_without_a_request(self):
        # The segment muxer can leave a piece of a few milliseconds at the end.
        result = self.run_convert([media["sliver"], self.output, "voiceA"])
        self.assert_converted(result, media["sliver"])
        self.assertEqual(self.service.requests, [])

    def test_refusals_fail_at_once_with_a_clear_line(self):
        cases = [("ok", "wrong-key", ("invalid key", "Tools > Set elevenlabs_api_key env var")),
                 ("invalid_key", KEY, ("invalid key", "Tools > Set elevenlabs_api_key")),
                 ("quota_exceeded", KEY, ("quota exceeded", "credits")),
                 ("voice_not_found", KEY, ("voice not found", "voiceBOok")),
                 ("validation_error", KEY, ("invalid", "body.audio"))]
        for mode, key, words in cases:
            with self.subTest(mode=mode):
                self.service.set_mode(mode)
                self.service.clear_requests()
                result = self.run_convert([media["a"], self.output, "voiceBOOK"], key=key)
                self.assert_failed(result, *words, requests=1)


class RetryTest(ConvertCase):
    def test_busy_service_is_tried_again(self):
        self.service.set_mode("busy_twice")
        self.assert_converted(self.run_convert(), media["a"])
        self.assertEqual(len(self.service.requests), 3)

    def test_gives_up_after_max_tries_keeping_earlier_output(self):
        self.service.set_mode("server_error")
        with open(self.output, "wb") as handle:
            handle.write(b"earlier")
        result = self.run_convert()
        self.assertEqual(os.listdir(self.out_dir), ["3.mp4"])
        with open(self.output, "rb") as handle:
            self.assertEqual(handle.read(), b"earlier")
        os.remove(self.output)
        self.assert_failed(result, "busy", "3 tries", requests=3)

    def test_retry_window_bounds_the_tries(self):
        self.service.set_mode("server_error")
        result = self.run_convert(VOXSPLICE_RETRY_BASE_SECONDS=2,
                                  VOXSPLICE_RETRY_MAX_SECONDS=0.5, VOXSPLICE_MAX_TRIES=5)
        self.assert_failed(result, "busy", "1 try", requests=1)

    def test_cut_short_answer_is_tried_again(self):
        self.service.set_mode("truncated", fail_count=1)
        self.assert_converted(self.run_convert(), media["a"])
        self.assertEqual(len(self.service.requests), 2)
        os.remove(self.output)
        self.service.set_mode("truncated")
        self.service.clear_requests()
        self.assert_failed(self.run_convert(), "connection", "3 tries", requests=3)

    def test_stalled_service_is_bounded_by_the_timeout(self):
        self.service.set_mode("stall")
        started = time.monotonic()
        result = self.run_convert(VOXSPLICE_HTTP_TIMEOUT=0.5, VOXSPLICE_MAX_TRIES=2)
        self.assertLess(time.monotonic() - started, 10)
        self.assert_failed(result, "did not answer", "0.5 s", requests=2)


class LocalFailureTest(ConvertCase):
    def test_no_key_names_the_tools_menu(self):
        for key, offline in ((None, None), ("  \n", None), (None, "0"), (None, "yes")):
            with self.subTest(key=key, offline=offline):
                extra = {} if offline is None else {"VOXSPLICE_OFFLINE_VOICE": offline}
                result = self.run_convert(key=key, **extra)
                self.assert_failed(result, "no ElevenLabs key",
                                   "set it with Tools > Set elevenlabs_api_key env var",
                                   requests=0)

    def test_unreachable_service_says_network(self):
        result = self.run_convert(ELEVENLABS_API_BASE="http://127.0.0.1:%d/" % closed_port(),
                                  VOXSPLICE_MAX_TRIES=2)
        self.assert_failed(result, "network", "127.0.0.1")

    def test_usage_and_input_errors(self):
        garbage = os.path.join(root, "garbage.mp4")
        with open(garbage, "w") as handle:
            handle.write("not a video")
        missing = os.path.join(root, "missing.mp4")
        cases = [([], "usage"), ([media["a"], self.output], "usage"),
                 ([media["a"], self.output, "v", "extra"], "usage"),
                 ([missing, self.output, "v"], "input file not found"),
                 ([media["a"], self.output, " "], "voice id is empty"),
                 ([media["a"], os.path.join(root, "nope", "3.mp4"), "v"], "output folder"),
                 ([garbage, self.output, "v"], "bad input file")]
        for args, words in cases:
            with self.subTest(args=args):
                self.assert_failed(self.run_convert(args), words, requests=0)

    def test_missing_ffmpeg_is_named(self):
        bare = tempfile.mkdtemp(prefix="bare-", dir=root)
        script = shutil.copy(CONVERT, bare)
        self.assert_failed(self.run_convert(script=script), "ffmpeg not found",
                           os.path.join(bare, "ffmpeg", "bin"))
        self.assert_failed(self.run_convert(VOXSPLICE_FFMPEG=os.path.join(bare, "none")),
                           "ffmpeg not found", "VOXSPLICE_FFMPEG", requests=0)


def tone_frequency(path):
    """Frequency of a pure tone, from its rising zero crossings (edges left out)."""
    pcm = array.array("h", ffmpeg("-i", path, "-ac", "1", "-ar", "44100", "-f", "s16le", "-"))
    pcm = pcm[4410:-4410]
    rising = sum(1 for i in range(1, len(pcm)) if pcm[i - 1] < 0 <= pcm[i])
    return rising * 44100 / len(pcm)


class OfflineVoiceTest(ConvertCase):
    def load_convert(self):
        spec = importlib.util.spec_from_file_location("convert_module", CONVERT)
        module = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(module)
        return module

    def test_offline_voice_needs_no_key_nor_service(self):
        result = self.run_convert(key=None, VOXSPLICE_OFFLINE_VOICE=1)
        self.assert_converted(result, media["a"])
        self.assertEqual(self.service.requests, [])
        shift = self.load_convert().offline_semitones("voiceA")
        self.assertAlmostEqual(tone_frequency(self.output), 440 * 2 ** (shift / 12), delta=4)

    def test_shift_is_stable_and_fallback_keeps_length(self):
        convert = self.load_convert()
        shifts = {voice: convert.offline_semitones(voice) for voice in ("a", "b", "c", "d", "e")}
        self.assertNotIn(0, shifts.values())
        self.assertGreater(len(set(shifts.values())), 1)
        self.assertEqual(shifts["a"], convert.offline_semitones("a"))
        samples = convert.count_samples(FFMPEG, media["b"])
        target = os.path.join(self.out_dir, "fallback.mp4")
        convert.encode_piece(FFMPEG, media["b"], target, samples,
                             convert.pitch_filter(-4, rubberband=False), "fallback")
        self.assertEqual(stream_format(target), FORMAT)
        self.assertAlmostEqual(decoded_seconds(target), decoded_seconds(media["b"]), delta=FRAME)
        self.assertAlmostEqual(tone_frequency(target), 300 * 2 ** (-4 / 12), delta=3)


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


class StandinProgramTest(unittest.TestCase):
    def test_prints_its_url_and_answers(self):
        child = subprocess.Popen([sys.executable, os.path.join(HERE, "standin_service.py"),
                                  "--port", "0", "--mode", "server_error", "--key", "K",
                                  "--lifetime", "20"], stdout=subprocess.PIPE, text=True)
        try:
            url = child.stdout.readline().strip()
            self.assertRegex(url, r"^http://127\.0\.0\.1:\d+$")
            opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
            with opener.open(urllib.request.Request(url + "/_standin/mode", method="POST",
                                                    data=b'{"mode": "stall"}')) as answer:
                self.assertEqual(json.load(answer)["mode"], "stall")
            with opener.open(url + "/_standin/requests") as answer:
                self.assertEqual(json.load(answer), [])
        finally:
            child.terminate()
            child.wait(10)
            child.stdout.close()


if __name__ == "__main__":
    unittest.main()
