"""Tests for convert.py, run as the program runs it, against the strict stand-in service."""

import array
import hashlib
import json
import math
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from unittest import mock

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(os.path.dirname(os.path.dirname(HERE)), "src", "script")
sys.path[:0] = [HERE, SCRIPT]
from standin_service import PERMISSIONS, StandinService  # noqa: E402
from voxconvert import audio, cache, claims, cli, refusals, service  # noqa: E402
from voxconvert.messages import Failure  # noqa: E402

FFMPEG = os.environ.get("VOXSPLICE_FFMPEG") or shutil.which("ffmpeg")
KEY = "sk-TOKEN-OKAY-7f3a9c"
VOICE = "21m00Tcm4TlvDq8ikWAM"
SET_KEY = "set it with Tools > Set elevenlabs_api_key env var, or (for voxsplice-cli)"
FRAME = 1024 / 44100
FORMAT = ("alac", 44100, "stereo")
MAY_BE_CHARGED = "may have converted it and charged for it"
SEPARATE = os.path.join(SCRIPT, "separate.py")
# torch and torchaudio as far as separate.py goes before it decodes its input (neither is
# installed here): weights that load, a model of one source.
RUNNABLE = {"torch": "load = lambda *args, **options: {}\n", "torchaudio": (
    "import sys, types\nsys.modules['torchaudio.pipelines'] = types.SimpleNamespace("
    "HDEMUCS_HIGH_MUSDB_PLUS=types.SimpleNamespace(_model_factory_func=lambda: types."
    "SimpleNamespace(sources=['vocals'], load_state_dict=len, eval=int)))\n")}
root = work = logging_ffmpeg = None


def ffmpeg(*args):
    return subprocess.run([FFMPEG, "-nostdin", "-hide_banner", "-loglevel", "error", "-y"]
                          + list(args), stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, check=True).stdout


def probe(path, known={}):
    """(codec, sample rate, channel layout) of the first audio stream and its decoded length in
    seconds, from one ffmpeg run; the same bytes again (a result from the cache) are not run
    again."""
    with open(path, "rb") as handle:
        key = hashlib.sha256(handle.read()).digest()
    if key not in known:
        run = subprocess.run([FFMPEG, "-nostdin", "-hide_banner", "-i", path, "-map", "0:a:0",
                              "-ac", "1", "-ar", "44100", "-f", "s16le", "-"],
                             stdin=subprocess.DEVNULL, capture_output=True)
        match = re.search(rb"Audio: (\w+).*?, (\d+) Hz, (\w+)", run.stderr)
        known[key] = ((match[1].decode(), int(match[2]), match[3].decode()) if match else None,
                      len(run.stdout) / 2 / 44100)
    return known[key]


class Media(dict):
    """The test media, {name: path}, each made when first used."""
    MADE = {"a": ("a.mp4", "-f lavfi -i sine=440:d=3 -ac 2 -c:a aac"),
            "b": ("b.mp4", "-f lavfi -i sine=300:d=2.3:r=48000 -ac 1 -c:a aac"),
            "sliver": ("sliver.mp4", "-f lavfi -i sine=440:d=0.03 -ac 2 -c:a aac"),
            "x": ("x.wav", "-f lavfi -i sine=500:d=1"),  # x and y: as large as each other,
            "y": ("y.wav", "-f lavfi -i sine=700:d=1"),  # not alike
            # Silence: a tone this long takes seconds.
            "long": ("long.mp4", "-f lavfi -i anullsrc=r=8000 -t 301 -c:a aac"),
            "mkv": ("mkv.mkv", "-i @b -c copy"),  # times in milliseconds
            "cut": ("cut.mp4", "-ss 0.5 -i @a -c copy"),  # ends short
            "alac": ("alac.mkv", "-i @a -c:a alac -sample_fmt s16p"),
            "noise": ("noise.mp4", "-f lavfi -i anoisesrc=d=2:a=0.3 -ac 2 -c:a alac")}

    def __missing__(self, name):
        path = os.path.join(root, self.MADE[name][0])
        ffmpeg(*[self[word[1:]] if word[0] == "@" else word
                 for word in self.MADE[name][1].split()], path)
        self[name] = path
        return path


media = Media()


def install_script(folder):
    """Puts convert.py and its package into `folder`, as the build does; returns the script."""
    shutil.copytree(os.path.join(SCRIPT, "voxconvert"), os.path.join(folder, "voxconvert"),
                    ignore=shutil.ignore_patterns("__pycache__"))
    return shutil.copy(os.path.join(SCRIPT, "convert.py"), folder)


def objects(result):
    """What the script told the window: every line of its standard output is a JSON object."""
    return [json.loads(line) for line in result.stdout.splitlines()]


def live_session(sid):
    """Names of the processes in session `sid` that still run (a zombie has ended)."""
    names = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % pid) as handle:
                name, _, rest = handle.read().rpartition(") ")
        except OSError:  # ended meanwhile
            continue
        if rest.split()[3] == str(sid) and rest[0] != "Z":
            names.append(name.partition("(")[2])
    return names


def fake_packages(**packages):
    """A folder for PYTHONPATH with `packages`, each given as the source of its __init__.py."""
    folder = tempfile.mkdtemp(prefix="packages-", dir=root)
    for name, source in packages.items():
        os.mkdir(os.path.join(folder, name))
        with open(os.path.join(folder, name, "__init__.py"), "w") as handle:
            handle.write(source)
    return folder


def wait_for(condition, seconds=60):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.02)
    return True


def logged_runs():
    """The logging ffmpeg's command lines since this was last asked."""
    with open(os.path.join(root, "ffmpeg.log"), "a+") as log:
        log.seek(0)
        runs = log.read().splitlines()
        log.truncate(0)
    return runs


def decodings():
    """How many times the logging ffmpeg decoded audio since this was last asked."""
    return sum("pcm_s16le" in run for run in logged_runs())


def setUpModule():
    global root, work, logging_ffmpeg
    if not FFMPEG:
        raise unittest.SkipTest("ffmpeg not found (set VOXSPLICE_FFMPEG)")
    # "BOOKS" in every path: messages must echo paths unchanged, "OK" and all.
    root = tempfile.mkdtemp(prefix="voxsplice-BOOKS-")
    work = os.path.join(root, "work")
    os.makedirs(os.path.join(work, "ffmpeg", "bin"))
    install_script(work)
    os.symlink(os.path.abspath(FFMPEG), os.path.join(work, "ffmpeg", "bin", "ffmpeg"))
    media.clear()
    logging_ffmpeg = os.path.join(root, "logging-ffmpeg")
    with open(logging_ffmpeg, "w") as handle:
        handle.write('#!/bin/sh\necho "$*" >> "%s"\nexec "%s" "$@"\n'
                     % (os.path.join(root, "ffmpeg.log"), os.path.abspath(FFMPEG)))
    os.chmod(logging_ffmpeg, 0o755)


def tearDownModule():
    if root:
        shutil.rmtree(root, ignore_errors=True)


class ConvertCase(unittest.TestCase):
    """Runs the working folder's convert.py against a fresh stand-in, with an empty cache."""

    @classmethod
    def setUpClass(cls):
        cls.service = StandinService(key=KEY, lifetime=300).start()

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()

    def setUp(self):
        self.service.clear()
        self.service.set(key=KEY, length_error=0.0, permissions=PERMISSIONS, hold_answers=False)
        self.out_dir = tempfile.mkdtemp(prefix="OUTBOOKS-", dir=root)
        self.output = os.path.join(self.out_dir, "3.mp4")
        self.fresh_cache()

    def fresh_cache(self):
        self.cache = tempfile.mkdtemp(prefix="cache-", dir=root)

    def command(self, args=None, key=KEY, script=None, **settings):
        env = {name: value for name, value in os.environ.items()
               if not name.startswith(("VOXSPLICE_", "ELEVENLABS_", "elevenlabs_"))
               and "proxy" not in name.lower()}
        env.update(ELEVENLABS_API_BASE=self.service.url, VOXSPLICE_RETRY_BASE_SECONDS="0.01",
                   VOXSPLICE_HTTP_TIMEOUT="20", VOXSPLICE_CACHE_DIR=self.cache)
        if key is not None:
            env["elevenlabs_api_key"] = key
        env.update({name: str(value) for name, value in settings.items()})
        if args is None:
            args = [media["a"], self.output, VOICE]
        return [sys.executable, script or os.path.join(work, "convert.py")] + args, env

    def run_convert(self, args=None, **settings):
        command, env = self.command(args, **settings)
        return subprocess.run(command, env=env, stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, timeout=60)

    def assert_converted(self, result, source, output=None):
        output = output or self.output
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        done = objects(result)[-1]
        # The path as it is, "BOOKS" and all; the words for people on standard error as well.
        self.assertEqual((done["type"], done["ok"], done["output"]), ("result", True, output))
        self.assertEqual(result.stderr.splitlines()[-1], done["message"])
        self.assertEqual(probe(output)[0], FORMAT)
        self.assertAlmostEqual(probe(output)[1], probe(source)[1], delta=FRAME)
        return done

    def assert_failed(self, result, *words, requests, kind="error"):
        text = result.stdout + result.stderr
        self.assertEqual(result.returncode, 75 if kind == "busy" else 1, text)
        for key in (KEY, "wrong-key"):
            self.assertNotIn(key, text)
        told = [item for item in objects(result) if item["type"] in ("result", "failure")]
        self.assertEqual([(item["type"], item["kind"]) for item in told], [("failure", kind)])
        self.assertEqual(result.stderr.splitlines()[-1], told[0]["message"])
        for word in words:
            self.assertIn(word, told[0]["message"])
        self.assertEqual(len(self.service.requests), requests)
        self.assertEqual(os.listdir(self.out_dir), [], "a failed run left files behind")
        return told[0]

    def assert_billed_once(self):
        self.assertLessEqual(max(self.service.charges_per_audio().values(), default=0), 1)


class ServiceTest(ConvertCase):
    def test_converts_to_the_fixed_format_and_length(self):
        # A sliver (the segment muxer can leave one at the end) stays silent, without a request.
        # The voice settings that are set reach the request, under the service's names.
        model, default = "eleven_english_sts_v2", {"model_id": "eleven_multilingual_sts_v2"}
        for name, error, settings, sent in (
                ("a", 0.7, {}, default), ("sliver", 0.0, {}, None),
                ("b", -0.5, dict(model=model, stability=0.3, similarity=1, style=0,
                                 speakerboost=False, denoise=True, seed=4294967295),
                 dict(model_id=model, voice_settings=dict(stability=0.3, similarity_boost=1,
                                                          style=0, use_speaker_boost=False),
                      seed="4294967295", remove_background_noise="true"))):
            with self.subTest(input=name, error=error, settings=settings):
                self.service.set(length_error=error)
                self.service.clear()
                self.fresh_cache()
                self.assert_converted(self.run_convert([media[name], self.output, VOICE],
                                                       VOXSPLICE_VOICE_SETTINGS=json.dumps(
                                                           settings)), media[name])
                if name == "sliver":
                    self.assertEqual(self.service.requests, [])
                    continue
                # The strict stand-in checked the request; it went to the streaming endpoint.
                [request] = self.service.requests
                self.assertTrue(request["path"].endswith("/stream"))
                self.assertEqual({field: json.loads(value) if field == "voice_settings" else value
                                  for field, value in request["fields"].items()
                                  if field != "audio"}, sent)
        with mock.patch.dict(os.environ,
                             VOXSPLICE_VOICE_SETTINGS='{"seed": 7.0, "denoise": false}'):
            self.assertEqual(service.request_fields(service.voice_settings()),
                             dict(default, seed="7", remove_background_noise="false"))

    def test_every_refusal_in_both_shapes(self):
        """Each refusal, in the old shape and the new, has its own words; none is sent again,
        none is billed."""
        refusals = [("invalid_api_key", ("invalid key", SET_KEY)),
                    ("needs_authorization", ("no key reached",)),
                    ("missing_permissions", ("lacks the permission speech_to_speech",)),
                    ("detected_unusual_activity", ("unusual activity",)),
                    ("quota_exceeded", ("credits left", "needed")),
                    ("paid_plan_required", ("needs a paid plan",)),
                    ("output_format_not_allowed", ("plan does not allow",)),
                    ("voice_not_found", ("voice not found", VOICE)),
                    ("voice_does_not_exist", ("voice not found",)), ("file_too_large", ("large",)),
                    ("max_duration_exceeded", ("too long",)), ("validation_error", ("refused",)),
                    ("invalid_parameters", ("refused",)), ("concurrent_limit_exceeded", ("once",)),
                    # Settings the script never sends: the stand-in's own checks.
                    (dict(model="eleven_turbo_v2"), ("HTTP 400", "model_id")),
                    (dict(speakerboost="yes"), ("HTTP 422", "voice_settings"))]
        with mock.patch.dict(os.environ, self.command()[1]):
            remote = service.Service()
        for name, words in refusals:
            for shape in ("old", "new"):
                with self.subTest(answer=name, shape=shape):
                    self.service.clear()
                    settings = {} if isinstance(name, str) else name
                    if not settings:
                        self.service.queue(name, shape=shape)
                    with tempfile.TemporaryFile() as sink, self.assertRaises(Failure) as caught:
                        remote.convert(media["a"], VOICE, sink, settings)
                    for word in words:
                        self.assertIn(word, str(caught.exception))
                    self.assertEqual(len(self.service.requests), 1)
                    self.assertEqual(self.service.charged_credits(), 0)

    def test_answers(self):
        """Only what the service did not do is asked again; nothing is billed twice; every
        failure is one failure object of its kind, and a status that is not 0."""
        far = "Fri, 31 Dec 9999 23:59:59 GMT"
        cases = [  # queued answers, settings, (requests, failure: kind and words, credits)
            ([], {"key": "wrong-key"}, (1, ("invalid_key", "invalid key"), 0)),
            ([("concurrent_limit_exceeded", dict(retry_after=far))], {},
             (1, ("busy", "BUSY", "at once", "retry after 60 s"), 0)),
            ([("rate_limit_exceeded", dict(retry_after=0)), ("service_unavailable", {})], {},
             (3, None, 50)),
            ([("system_busy", dict(retry_date=0))] + [("server_error", {})] * 2, {},
             (3, ("server", "(HTTP 500)", "after 3 tries"), 0)),
            ([("bad_gateway", {})], {}, (1, ("possibly_charged", "502", MAY_BE_CHARGED), 50)),
            ([("stall", {})], {"VOXSPLICE_HTTP_TIMEOUT": 1},
             (1, ("possibly_charged", MAY_BE_CHARGED), 50)),
            ([("cut", {})], {}, (1, ("possibly_charged", "cut short", MAY_BE_CHARGED), 50)),
            # Words for people that read like a result or a wait are only words.
            ([("invalid_parameters", dict(message="OK: retry after 9 s"))], {},
             (1, ("invalid", "OK: retry after 9 s"), 0))]
        # Retry-After in seconds or as a date, however far off, past or garbled, is a wait of a
        # minute at most, or none.
        for value, wait in (("3", 3), ("9" * 400, 60), (far, 60), ("Sat, 01 Jan 2000 00:00:00 GMT",
                            0), ("Mon, 01 Jan 99999 00:00:00 GMT", None), ("-5", None),
                            ("Fri, 31 Dec 9999 23:59:59 +9999", None), ("\u00b2", None)):
            self.assertEqual(refusals.retry_after_seconds(value), wait, value)
        for answers, settings, (requests, failure, credits) in cases:
            with self.subTest(answers=answers, settings=settings):
                self.service.clear()
                self.fresh_cache()
                for answer, options in answers:
                    self.service.queue(answer, **options)
                result = self.run_convert(**settings)
                if failure is None:
                    self.assert_converted(result, media["a"])
                    self.assertEqual(len(self.service.requests), requests)
                    os.remove(self.output)
                else:
                    told = self.assert_failed(result, *failure[1:], requests=requests,
                                              kind=failure[0])
                    self.assertEqual((told["retry_after"], told["possibly_charged"]),
                                     (60 if failure[0] == "busy" else None, bool(credits)))
                self.assertEqual(self.service.charged_credits(), credits)
                self.assert_billed_once()

    def test_same_audio_is_never_sent_twice(self):
        # Told to wait for its go, a piece gets ready and sends nothing before the go.
        command, env = self.command(["--wait-for-go", media["a"], self.output, VOICE])
        with subprocess.Popen(command, env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True) as child:
            self.assertEqual(json.loads(child.stdout.readline()), {"type": "ready"})
            self.assertEqual(self.service.requests, [])
            out, err = child.communicate("go\n", timeout=60)
        result = subprocess.CompletedProcess(command, child.returncode, out, err)
        self.assert_converted(result, media["a"])
        self.assertEqual([item["type"] for item in objects(result)], ["answered", "result"])
        # A kept piece cut short (a crash, a full disk) is not reused: converted again, replaced.
        [entry] = [os.path.join(folder, name) for folder, _, names in os.walk(self.cache)
                   for name in names if name.endswith(".mp4")]
        os.truncate(entry, os.path.getsize(entry) // 2)
        elsewhere = os.path.join(root, "same audio, other name.mp4")
        shutil.copy(media["a"], elsewhere)
        second = os.path.join(self.out_dir, "7.mp4")
        self.assertFalse(self.assert_converted(self.run_convert(
            [elsewhere, second, VOICE], VOXSPLICE_FFMPEG=logging_ffmpeg), media["a"],
            second)["reused"])
        # Kept whole, it needs no key, and the piece is never ready for the service. The same
        # audio in another container and codec is found too; a short file is measured by one
        # ffmpeg run that decodes it (longer ones are known by their packets, below), and not
        # read at all when it was decoded before and has not changed since.
        logged_runs()
        for source, decoded in ((elsewhere, []), (media["alac"], [1])):
            result = self.run_convert(["--wait-for-go", source, second, VOICE], key=None,
                                      VOXSPLICE_FFMPEG=logging_ffmpeg)
            self.assertTrue(self.assert_converted(result, media["a"], second)["reused"])
            self.assertEqual(len(objects(result)), 1)
            self.assertEqual([run.count("pcm_s16le") for run in logged_runs()], decoded)
        self.assertEqual(len(self.service.requests), 2)
        # Other voice settings are another result, the same ones however written the kept one;
        # none set is the default model, under the name kept before there were settings. Another
        # voice is another result too.
        other = os.path.join(self.out_dir, "8.mp4")
        self.assertFalse(self.assert_converted(self.run_convert(
            [media["a"], other, VOICE], VOXSPLICE_VOICE_SETTINGS='{"style": 1}'), media["a"],
            other)["reused"])
        self.assertEqual(len(self.service.requests), 3)
        # A new take asks the service again although the cache holds the answer; under a seed of
        # its own it is kept beside the first, which comes from the cache as before.
        take = {"VOXSPLICE_NEW_TAKE": "1", "VOXSPLICE_VOICE_SETTINGS": '{"seed": 11}'}
        for settings, new_take, reused, sent in (({}, "1", False, 4), (take, "1", False, 5),
                                                 (take, "", True, 5), ({}, "", True, 5)):
            result = self.run_convert([media["a"], other, VOICE],
                                      **dict(settings, VOXSPLICE_NEW_TAKE=new_take))
            self.assertEqual(self.assert_converted(result, media["a"], other)["reused"], reused)
            self.assertEqual(len(self.service.requests), sent)

        def named(voice=VOICE, **settings):
            with mock.patch.dict(os.environ, VOXSPLICE_VOICE_SETTINGS=json.dumps(settings)):
                return cli.result_key("0" * 64, voice, "", cli.voice_settings(False))

        self.assertEqual(named(), "0768d715a1d226317d73cd72dc34477"
                                  "62665e8ee25301ad2aa7e7eea650c76ab")
        self.assertEqual([named(style=1.0), named(model="eleven_multilingual_sts_v2")],
                         [named(style=1), named()])
        self.assertEqual(len({named(), named(style=1), named(style=1, denoise=False),
                              named("TX3LPaxmHKxFdv7VOQHJ")}), 4)
        # A small cache lets the piece used least recently go; a leftover of a writer long gone
        # is swept, one a live writer may hold stays and counts. The piece just kept stays
        # while its run holds its key, even over the limit.
        for voice, leftovers in ((VOICE, {}), ("TX3LPaxmHKxFdv7VOQHJ", {"live": 0, "gone": 1})):
            for name, old in leftovers.items():
                with open(os.path.join(os.path.dirname(entry), name + ".part"), "wb") as handle:
                    handle.write(bytes(70000))
                os.utime(handle.name, (old, old) if old else None)
            self.run_convert([media["b"], os.path.join(self.out_dir, "9.mp4"), voice],
                             VOXSPLICE_CACHE_LIMIT_MB=0.06)
            kept = [name for _, _, names in os.walk(self.cache) for name in names
                    if not name.endswith((".index", ".listed"))]
            self.assertEqual(sorted(name.rpartition(".")[2] for name in kept),
                             ["mp4"] + ["part"] * bool(leftovers))
        # Other audio of the same size and time, in the same file or a new one, is other
        # packets: decoded. The same packets again are not (in a file long enough to be listed
        # first).
        memo, path = cache.Cache(self.cache), os.path.join(root, "changing.wav")
        listed_first = mock.patch.object(audio, "LISTED_FIRST_BYTES", 0)
        listed_first.start()
        self.addCleanup(listed_first.stop)
        for source, write, decoded in (
                (media["x"], shutil.copyfile, 1), (media["y"], shutil.copyfile, 1),
                (media["x"], lambda source, path: os.replace(shutil.copy(source, path + ".new"),
                                                             path), 0)):
            write(source, path)
            os.utime(path, ns=(10 ** 18, 10 ** 18))
            self.assertEqual(audio.measure(logging_ffmpeg, path, memo),
                             audio.measure(FFMPEG, source))
            self.assertEqual(decodings(), decoded)
        # A write that fails leaves nothing behind; a hung ffmpeg is not waited for forever.
        self.assertFalse(memo.store("f" * 64, path + ".gone"))
        self.assertEqual(os.listdir(os.path.join(self.cache, "ff")), [])
        with self.assertRaisesRegex(Failure, "hung .ffmpeg did not finish within 0 s"):
            audio.run(["sleep", "60"], "hung", limit=0.2)

    def test_runs_at_once_pay_once(self):
        """Two runs that meet the same audio at once: the second waits for the first's answer
        and takes it from the cache. Where the first dies holding the key, the second takes it
        over and pays itself."""
        self.service.set(hold_answers=True)

        def start(output):
            command, env = self.command([media["a"], output, VOICE])
            child = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, text=True,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                     start_new_session=True)
            self.addCleanup(subprocess.run, ["kill", "-KILL", "--", "-%d" % child.pid],
                            stderr=subprocess.DEVNULL)
            return child

        def waits(child):  # it says so, for the window's log too, once it found the key held
            return any(json.loads(line).get("type") == "waiting"
                       and "Another run is sending the same audio" in json.loads(line)["message"]
                       for line in iter(child.stdout.readline, ""))

        for first_dies in (False, True):
            with self.subTest(first_dies=first_dies):
                self.service.clear()
                self.fresh_cache()
                outputs = [os.path.join(self.out_dir, "%s%d.mp4" % (first_dies, n))
                           for n in (1, 2)]
                first = start(outputs[0])
                self.assertTrue(wait_for(lambda: self.service.held), "no request came")
                second = start(outputs[1])
                self.assertTrue(waits(second))
                if first_dies:
                    os.killpg(first.pid, signal.SIGKILL)
                    self.service.set(hold_answers=False)
                self.service.release()
                out, err = second.communicate(timeout=60)
                done = self.assert_converted(subprocess.CompletedProcess(
                    second.args, second.returncode, out, err), media["a"], outputs[1])
                self.assertEqual((done["reused"], len(self.service.requests)),
                                 (not first_dies, 1 + first_dies))
                first.communicate(timeout=60)
                self.assertEqual(first.returncode, -signal.SIGKILL if first_dies else 0)
                self.assertEqual([name for _, _, names in os.walk(self.cache) for name in names
                                  if name.endswith((claims.SUFFIX, ".stale"))], [])
        # Trimming keeps an entry whose key a live run holds, and lets it go once let go.
        kept = cache.Cache(self.cache, limit_mb=0)
        [entry] = [os.path.join(folder, name) for folder, _, names in os.walk(self.cache)
                   for name in names if name.endswith(".mp4")]
        with claims.claimed(entry):
            kept.trim()
            self.assertTrue(os.path.exists(entry))
        kept.trim()
        self.assertFalse(os.path.exists(entry))

    def test_estimate_voices_and_previews(self):
        self.assert_converted(self.run_convert(), media["a"])
        # Under other voice settings, nothing of the run is kept.
        credits_left = 100000 - self.service.credits_used
        unreadable = os.path.join(root, "notes.mp4")
        with open(unreadable, "w") as notes:
            notes.write("no audio here")
        for permissions, left, seed in ((PERMISSIONS, credits_left, 0),
                                        ({"speech_to_speech"}, None, 1)):
            with self.subTest(permissions=permissions, seed=seed):
                self.service.set(permissions=permissions)
                report = objects(self.run_convert(
                    ["--estimate", VOICE, media["a"], unreadable, media["b"], media["sliver"]],
                    VOXSPLICE_FFMPEG=logging_ffmpeg,
                    VOXSPLICE_VOICE_SETTINGS=json.dumps({"seed": seed} if seed else {})))[-1]
                self.assertEqual(report["type"], "estimate")
                self.assertEqual(report["unreadable"], [unreadable])
                # Nothing decoded on its own: a is known by its packets; b counts its packets'
                # length, its encoder's priming included (39 credits; decoded, 38), as the one
                # that cannot be read has each listed alone. A file read before and unchanged
                # since is not read again (a, when it was converted; the next time all but the
                # one that cannot be read).
                runs = logged_runs()
                self.assertFalse([run for run in runs
                                  if "pcm_s16le" in run and "-c copy" not in run])
                self.assertEqual({word for run in runs for word in run.split()} & {
                    media["a"], unreadable, media["b"], media["sliver"]},
                    {unreadable} if seed else {unreadable, media["b"], media["sliver"]})
                self.assertAlmostEqual(report["cached_seconds"], 3.0 * (not seed), delta=0.05)
                self.assertAlmostEqual(report["send_seconds"], 2.3 + 3.0 * seed, delta=0.05)
                self.assertEqual(report["credits"], 89 if seed else 39)
                self.assertEqual(report.get("credits_left"), left)
                self.assertEqual("user_read" in report.get("account_problem", ""), left is None)
        os.utime(media["b"])  # written since, as far as anyone can tell: listed again
        self.run_convert(["--estimate", VOICE, media["b"]], VOXSPLICE_FFMPEG=logging_ffmpeg)
        self.assertIn(media["b"], " ".join(logged_runs()).split())
        # Files that decode in no time are decoded by the run that lists them: their conversion
        # then knows their audio without starting ffmpeg.
        small = [media["x"], media["y"]]
        self.run_convert(["--estimate", VOICE] + small, VOXSPLICE_FFMPEG=logging_ffmpeg)
        self.assertEqual(len(logged_runs()), 1)
        self.assertEqual([audio.known(path, cache.Cache(self.cache)) for path in small],
                         [audio.measure(FFMPEG, path) for path in small])
        # A length from packets is never short, and a little long at most. Packets that give no
        # length (ALAC in Matroska has no durations) are decoded.
        index = cache.Cache(tempfile.mkdtemp(dir=root))
        for name in ("b", "sliver", "mkv", "cut", "alac"):
            with self.subTest(piece=name):
                samples, digest = audio.measure(FFMPEG, media[name], index, guess=True)
                decoded, audio_digest = audio.measure(FFMPEG, media[name])
                self.assertEqual(digest, audio_digest if name == "alac" else None)
                self.assertTrue(decoded <= samples < decoded + 0.1 * 44100, (samples, decoded))
        voices = [dict(voice_id="V%019d" % i, name="Voice, %d" % i, category="cloned",
                       preview_url=i % 2 and "https://voices.invalid/%d.mp3" % i or None)
                  for i in range(130)]
        self.service.set(voices=voices, permissions=PERMISSIONS)
        self.assertEqual(objects(self.run_convert(["--voices"])),
                         [{"type": "voices", "voices": voices}])
        # Previews: the premade voices' and the account's that have one; each downloaded once
        # into the cache, needing no key; one cut short is not kept.
        [listed] = objects(self.run_convert(["--previews"]))
        self.assertEqual(listed["voices"][45:], [{name: voice[name] for name in (
            "voice_id", "name", "preview_url")} for voice in voices if voice["preview_url"]])
        url, kept = listed["voices"][0]["preview_url"], os.path.join(self.cache, "previews")
        path = os.path.join(kept, VOICE + ".mp3")
        self.service.clear()
        os.remove(self.output)  # converted above: failures below must leave nothing
        for link, downloaded in ((url + "?fraction=0.5", None), (url, True), (url, False)):
            result = self.run_convert(["--preview", VOICE, link], key=None)
            if downloaded is None:
                self.assert_failed(result, "cannot download", "cut short", requests=0)
            else:
                self.assertEqual(objects(result), [dict(type="preview", voice_id=VOICE, path=path,
                                                        downloaded=downloaded)])
            self.assertEqual(os.listdir(kept), [VOICE + ".mp3"] * (downloaded is not None))
        self.assertEqual(self.service.preview_downloads, {VOICE: 2})
        self.assertEqual(probe(path)[0][0], "mp3")
        self.service.set(permissions={"speech_to_speech"})
        refused = objects(self.run_convert(["--voices"]))[-1]
        self.assertEqual(refused["kind"], "permission")
        self.assertIn("voices_read", refused["message"])

    def test_speakers_are_found_once(self):
        """The speech to text gets a 16 kHz mono copy once per audio and count of speakers; the
        cost of a run counts it until then, and each piece under its own voice."""
        said = os.path.join(self.out_dir, "said.json")
        self.service.register_transcript([[0.1, 0.5, "speaker_0", "Hi"], [0.6, 1, "speaker_1",
                                           "there"], [1.2, 1.5, "speaker_2", "you"]])
        fewer = ["speaker_0", "speaker_1", "speaker_1"]
        for most, source, requests, speakers in (("2", "a", 1, fewer), ("2", "alac", 1, fewer), (
                "", "a", 2, ["speaker_0", "speaker_1", "speaker_2"])):
            with self.subTest(most=most, source=source):
                result = self.run_convert(["--speakers", media[source], said],
                                          VOXSPLICE_MAX_SPEAKERS=most)
                self.assertEqual(result.returncode, 0, result.stderr)
                reused = source == "alac"  # the same audio in another file
                self.assertEqual([objects(result)[-1][name] for name in (
                    "output", "reused", "credits", "speakers")], [said, reused, 1 - reused,
                                                                  len(set(speakers))])
                with open(said) as handle:
                    self.assertEqual([word["speaker_id"] for word in json.load(handle)["words"]
                                      if word["type"] == "word"], speakers)
                self.assertEqual(len(self.service.requests), requests)
        first, second = (request["fields"] for request in self.service.requests)
        self.assertEqual(first.pop("file")["content_type"], "audio/flac")
        self.assertEqual(first, dict(model_id="scribe_v2", diarize="true", num_speakers="2",
                                     timestamps_granularity="word", tag_audio_events="false"))
        self.assertNotIn("num_speakers", second)
        with open(os.path.join(root, "upload.flac"), "wb") as upload:
            upload.write(self.service.last_upload)
        self.assertEqual(probe(upload.name)[0], ("flac", 16000, "mono"))
        # The cost of a run: the speech to text as long as its answer is not kept for the count
        # of speakers asked; a piece under each voice.
        self.assert_converted(self.run_convert(), media["a"])
        length = round(probe(media["a"])[1], 3)
        for most, transcribe, seconds in (("2", True, 0.0), ("3", True, length),
                                          ("", False, None)):
            with self.subTest(most=most, transcribe=transcribe):
                report = objects(self.run_convert(
                    ["--estimate", VOICE] + ["--transcribe", media["a"]] * transcribe
                    + [media["a"], "@TX3LPaxmHKxFdv7VOQHJ", media["a"]],
                    VOXSPLICE_MAX_SPEAKERS=most))[-1]
                self.assertEqual([report.get("transcribe_seconds"), report["cached_seconds"],
                                  report["send_seconds"], report["credits"]],
                                 [seconds, length, length, 50 + bool(seconds)])
        # The stand-in checks the form as strictly as the service.
        with mock.patch.dict(os.environ, self.command()[1]):
            remote = service.Service()
        for fields, words in (
                (dict(model_id="eleven_multilingual_sts_v2"), ("HTTP 400", "model_id")),
                (dict(source_url="https://a.invalid/a.mp3"), ("HTTP 422", "file")),
                (dict(source_url="https://a.invalid/a.mp3", file=None), ("HTTP 422", "file")),
                (dict(num_speakers="0"), ("num_speakers",)),
                (dict(num_speakers="33"), ("num_speakers",)),
                (dict(diarize="true", num_speakers="2", diarization_threshold="0.3"),
                 ("diarization_threshold",)), (dict(speakers="2"), ("Extra inputs",)),
                (dict(key=""), ("no key reached",)),
                (dict(permissions={"speech_to_speech"}), ("permission speech_to_text",))):
            with self.subTest(fields=fields):
                self.service.clear()
                self.service.set(permissions=fields.pop("permissions", PERMISSIONS))
                remote.key, upload = fields.pop("key", KEY), fields.pop("file", media["a"])
                form = service.Form(list(dict(dict(model_id="scribe_v2"), **fields).items()),
                                    "file", "a.mp4", upload, "audio/mp4")
                with tempfile.TemporaryFile() as sink, self.assertRaises(Failure) as caught:
                    remote.post("/v1/speech-to-text", form, sink, "", "application/json")
                for word in words:
                    self.assertIn(word, str(caught.exception))
                self.assertEqual(self.service.charged_credits(), 0)

    def test_refused_before_anything_is_sent(self):
        garbage = os.path.join(root, "garbage.mp4")
        with open(garbage, "w") as handle:
            handle.write("not a video")
        missing, nope = os.path.join(root, "missing.mp4"), os.path.join(root, "nope")
        bare = tempfile.mkdtemp(prefix="bare-", dir=root)
        closed = "http://127.0.0.1:9/"  # the discard port: nothing listens
        noisy = os.path.join(root, "noisy-ffmpeg")  # megabytes of errors for a damaged piece
        with open(noisy, "w") as handle:
            handle.write("#!/bin/sh\nyes 'damaged frame' | head -n 300000 >&2\nexit 1\n")
        os.chmod(noisy, 0o755)
        a, out, no_key = media["a"], self.output, ("no ElevenLabs key", SET_KEY)
        cases = [([], {}, ("usage",)), ([a, out, "v", "extra"], {}, ("usage",)),
                 ([missing, out, "v"], {}, ("input file not found: " + missing,)),
                 ([a, out, " "], {}, ("voice id is empty",)),
                 ([a, os.path.join(nope, "3.mp4"), "v"], {}, ("does not exist: " + nope,)),
                 ([garbage, out, "v"], {}, ("bad input file " + garbage,)),
                 ([media["long"], out, VOICE], {}, ("long.mp4 is 301", "at most 300 s")),
                 (None, {"key": None}, no_key), (["--previews"], {"key": None}, no_key),
                 (None, {"key": "a b"}, ("invalid key",)),
                 (["--preview", VOICE, "file:///a.mp3"], {}, ("not at an http(s) address",)),
                 (None, {"script": install_script(bare)},
                  ("ffmpeg not found at " + os.path.join(bare, "ffmpeg", "bin"),)),
                 (None, {"ELEVENLABS_API_BASE": closed, "VOXSPLICE_MAX_TRIES": 2},
                  ("cannot reach the voice service", "after 2 tries")),
                 (["--voices"], {"ELEVENLABS_API_BASE": "http://0.0.0.0:9"}, (
                     "the service address http://0.0.0.0:9 is not https; the key would travel "
                     "unencrypted",)),
                 ([garbage, out, "v"], {"VOXSPLICE_FFMPEG": noisy}, ("damaged frame",)),
                 (["--wait-for-go", a, out, VOICE], {}, ("stopped before the piece was sent",)),
                 (["--estimate", VOICE, a], {"VOXSPLICE_VOICE_SETTINGS": '{"style": "high"}'},
                  ("VOXSPLICE_VOICE_SETTINGS has style", "a number from 0 to 1")),
                 (["--estimate", VOICE, a, "@ ", a], {}, ("empty voice id after @",)),
                 (["--speakers", a, out], {"VOXSPLICE_OFFLINE_VOICE": 1, "key": None},
                  ("needs the voice service; load them from subtitles",))] + [
                 (["--speakers", a, out], {"VOXSPLICE_MAX_SPEAKERS": most},
                  ("VOXSPLICE_MAX_SPEAKERS=" + most, "from 1 to 32")) for most in ("0", "33", "2x")]
        for args, settings, words in cases:
            with self.subTest(args=args, settings=settings):
                self.assert_failed(self.run_convert(args, **settings), *words, requests=0,
                                   kind="stopped" if "stopped" in words[0] else "error")
        # The same checks on more values: plain http only to this machine, named as such;
        # voice settings of the wrong kind.
        for name, value, words in [("ELEVENLABS_API_BASE", base, "not https") for base in (
                "http://127.0.0.1.example.com", "http://localhost@example.com")] + [
                ("VOXSPLICE_VOICE_SETTINGS", text, words) for text, words in (
                    ("[0.5]", "not a JSON object"), ('{"model": "a b"}', "model"),
                    ('{"stability": 1.5}', "stability 1.5"), ('{"seed": 4294967296}', "seed"),
                    ('{"pitch": 2}', '"pitch"'), ('{"speakerboost": 1}', "speakerboost 1"))]:
            with self.subTest(**{name: value}), mock.patch.dict(os.environ, {name: value}):
                self.assertRaisesRegex(Failure, re.escape(words), service.api_base
                                       if name == "ELEVENLABS_API_BASE" else service.voice_settings)
        with mock.patch.dict(os.environ, ELEVENLABS_API_BASE="http://[::1]:8/"):
            self.assertEqual(service.api_base(), "http://[::1]:8")

TONES = (55, 6000)  # Hz: under the voice's pitch, and above most of its sound


def tone_levels(path, rate=16000):
    """The level of each of TONES over the whole file, in dB (Goertzel, Hann-windowed so that
    nearby tones do not leak in)."""
    pcm = array.array("h", ffmpeg("-i", path, "-ac", "1", "-ar", str(rate), "-f", "s16le", "-"))
    window = [x * (0.5 - 0.5 * math.cos(2 * math.pi * i / len(pcm))) for i, x in enumerate(pcm)]
    levels = []
    for frequency in TONES:
        coefficient, before, earlier = 2 * math.cos(2 * math.pi * frequency / rate), 0.0, 0.0
        for sample in window:
            before, earlier = sample + coefficient * before - earlier, before
        power = before * before + earlier * earlier - coefficient * before * earlier
        levels.append(10 * math.log10(max(power, 1e-9) / len(pcm) ** 2))
    return levels


class BackgroundTest(ConvertCase):
    def test_the_background_stays_under_the_new_voice(self):
        """With the background kept, both tones come out where they were, not as faint as in the
        voice alone (what the service returns)."""
        # A piece of speech over a steady low and high tone.
        speech, tones = os.path.join(root, "speech.wav"), os.path.join(root, "tones.wav")
        subprocess.run(["espeak-ng", "-w", speech + ".raw.wav", "The music stays under "
                        "the new voice."], check=True)
        ffmpeg("-i", speech + ".raw.wav", "-af", "apad=pad_dur=1", "-ar", "44100", "-ac", "2",
               speech)
        ffmpeg("-f", "lavfi", "-i", "sine=55:d=%.3f" % probe(speech)[1], "-f", "lavfi",
               "-i", "sine=6000:d=%.3f" % probe(speech)[1], "-filter_complex",
               "amix=2:normalize=0,volume=0.3", "-ar", "44100", "-ac", "2", tones)
        piece = os.path.join(root, "output000000000.mp4")
        ffmpeg("-i", speech, "-i", tones, "-filter_complex", "amix=2:normalize=0:duration=first",
               "-c:a", "alac", "-sample_fmt", "s16p", piece)
        self.service.register_speech(piece, speech)
        separator = os.path.join(root, "separator.py")  # the local one: speech and tones as made
        with open(separator, "w") as handle:
            handle.write("import shutil, sys\nshutil.copy(%r, sys.argv[2])\n"
                         "shutil.copy(%r, sys.argv[3])\n" % (speech, tones))
        # The offline voice needs no key nor service, and ignores the service's settings.
        levels = {"source": tone_levels(piece)}
        for name, settings in {
                "service": {"VOXSPLICE_KEEP_BACKGROUND": "service"},
                "local": {"VOXSPLICE_KEEP_BACKGROUND": "local", "VOXSPLICE_OFFLINE_VOICE": 1,
                          "VOXSPLICE_SEPARATOR": separator, "key": None,
                          "VOXSPLICE_VOICE_SETTINGS": '{"stability": 2, "model": "?"}'}}.items():
            with self.subTest(run=name):
                self.fresh_cache()
                self.service.clear()
                output = os.path.join(self.out_dir, name + ".mp4")
                result = self.run_convert([piece, output, VOICE], **settings)
                self.assertEqual((result.returncode, objects(result)[-1]["type"]), (0, "result"),
                                 result.stderr)
                self.assertEqual(probe(output), probe(piece))  # the piece's format, to the sample
                levels[name] = tone_levels(output)
                levels[name + " requests"] = len(self.service.requests)
        self.assertEqual([levels[n + " requests"] for n in ("service", "local")], [2, 0])
        for source, kept, lost, local in zip(levels["source"], levels["service"],
                                             tone_levels(speech), levels["local"]):
            self.assertLess(abs(kept - source), 8, levels)
            self.assertGreater(kept - lost, 25, levels)
            self.assertLess(abs(local - source), 8, levels)
        # A separator that fails is read from its failure object, not from its words.
        with open(separator, "w") as handle:
            handle.write("print('OK: separated')\nprint('{\"type\": \"failure\", \"message\": "
                         "\"FAILED: no model\"}')\nraise SystemExit(1)\n")
        self.out_dir = tempfile.mkdtemp(dir=root)
        self.assert_failed(self.run_convert(
            [piece, os.path.join(self.out_dir, "3.mp4"), VOICE], VOXSPLICE_KEEP_BACKGROUND="local",
            VOXSPLICE_OFFLINE_VOICE=1, VOXSPLICE_SEPARATOR=separator),
            "the separator failed: no model", requests=0)
        # The real separator says why it cannot run here: torch and torchaudio (neither is
        # installed here; stand-ins for them) missing or broken in turn.
        for packages, reason in (
                ({}, "python3-torch is not installed"),
                ({"torch": "raise OSError('libtorch_cpu.so: cannot open shared object file')"},
                 "importing torch failed: libtorch_cpu.so: cannot open shared object file"),
                ({"torch": "", "torchaudio": "from . import _extension"},
                 "importing torchaudio failed: cannot import name '_extension'"),
                ({"torch": "", "torchaudio": ""}, "this torchaudio has no Hybrid Demucs model"),
                (RUNNABLE, None)):
            with self.subTest(packages=packages):
                [said] = objects(subprocess.run(  # -S: without the system's packages
                    [sys.executable, "-S", SEPARATE, "--check"], capture_output=True, text=True,
                    env=dict(os.environ, PYTHONPATH=fake_packages(**packages))))
                self.assertEqual((said["type"], said["available"]), ("check", reason is None))
                self.assertEqual((said["reason"] or "")[:len(reason or "")], reason or "")
        # The cost of a run counts the isolator too.
        for mode, isolated in (("local", 0), ("service", probe(piece)[1])):
            report = objects(self.run_convert(["--estimate", VOICE, piece],
                                              VOXSPLICE_KEEP_BACKGROUND=mode))[-1]
            self.assertAlmostEqual(report["isolate_seconds"], isolated, delta=0.05)
        self.assertGreater(report["credits"], 1.9 * report["send_seconds"] / 60 * 1000)


class OfflineVoiceTest(ConvertCase):
    def test_offline_voice_keeps_length(self):
        """Its pitch shift keeps the length, with rubberband and without. Rubberband is tried
        first: only an ffmpeg that fails with it is asked for its filters, and one that lacks it
        is not tried with it again."""
        shifts = {audio.offline_semitones(voice) for voice in "abcdefgh"}
        self.assertTrue(len(shifts) > 1 and 0 not in shifts, shifts)
        samples = round(probe(media["b"])[1] * 44100)
        lacking = os.path.join(root, "ffmpeg-without-rubberband")
        with open(lacking, "w") as handle:
            handle.write('#!/bin/sh\necho "$*" >> "%s"\ncase "$*" in *-filters*) "%s" "$@" | '
                         'grep -v rubberband; exit;; *rubberband=*) echo "No such filter: '
                         '\'rubberband\'" >&2; exit 8;; esac\nexec "%s" "$@"\n'
                         % (os.path.join(root, "ffmpeg.log"), FFMPEG, FFMPEG))
        os.chmod(lacking, 0o755)
        # (ffmpeg, source, what each of two shifts runs: "!" where it fails)
        for ffmpeg, source, runs in (
                (logging_ffmpeg, media["b"], (["rubberband"], ["rubberband"])),
                (lacking, media["b"], (["rubberband", "filters", "atempo"], ["atempo"])),
                (logging_ffmpeg, os.path.join(root, "gone.mp4"), (["rubberband", "filters", "!"],
                                                             ["rubberband", "!"]))):
            with self.subTest(ffmpeg=ffmpeg, source=source):
                kept, target = cache.Cache(tempfile.mkdtemp(dir=root)), self.output
                logged_runs()
                for expected in runs:
                    try:
                        audio.change_pitch(ffmpeg, source, target, samples, -4, kept)
                        failed = []
                    except Failure:
                        failed = ["!"]
                    said = [next(word for word in ("rubberband", "filters", "atempo")
                                 if word in run) for run in logged_runs()]
                    self.assertEqual(said + failed, expected)
                    if not failed:
                        self.assertEqual(probe(target)[0], FORMAT)
                        self.assertAlmostEqual(probe(target)[1], probe(source)[1], delta=FRAME)

    def test_turns_are_laid_into_the_original(self):
        """Outside the turns, the original as it decodes; inside, the pieces, fading in and out
        from and back to the original."""
        def samples(path):
            return array.array("h", ffmpeg("-i", path, "-ac", "2", "-ar", "44100", "-f", "s16le",
                                           "-"))

        def write(turns, fade=441):
            with open(plan, "w") as handle:
                json.dump({"original": media["a"], "fade": fade, "turns": [dict(zip(
                    ("piece", "at", "from", "length"), turn)) for turn in turns]}, handle)

        noise, plan = media["noise"], os.path.join(root, "plan.json")
        turns = [(noise, 1000, 5000, 20000), (media["b"], 0, 30000, 10000),
                 (noise, 500, 60000, 300)]
        write(turns)
        self.assert_converted(self.run_convert(["--lay-turns", plan, self.output], key=None),
                              media["a"])
        original, laid, inside = samples(media["a"]), samples(self.output), set()
        self.assertEqual(len(laid), len(original))
        for piece, at, start, length in turns:
            fade, span = 2 * min(441, length // 2), slice(2 * start, 2 * (start + length))
            over, under = samples(piece)[2 * at:2 * (at + length)], original[span]
            self.assertEqual(laid[span][fade:-fade], over[fade:-fade])
            for fading in (range(fade), range(2 * length - 1, 2 * length - fade - 1, -1)):
                # From the original to the piece: a weight that grows, within the rounding.
                weights = [(laid[span][i] - under[i]) / (over[i] - under[i]) for i in fading
                           if abs(over[i] - under[i]) > 500]
                self.assertTrue(weights[0] < 0.1 and weights[-1] > 0.9, weights)
                self.assertTrue(all(b > a - 0.01 for a, b in zip(weights, weights[1:])), weights)
            inside.update(range(span.start, span.stop))
        self.assertEqual([v for i, v in enumerate(laid) if i not in inside],
                         [v for i, v in enumerate(original) if i not in inside])
        # The same however the original's samples come through the pipe, a sample cut in two.
        layer, data = audio.Layer(FFMPEG, [audio.Turn(*turn) for turn in turns], 441), original
        self.assertEqual(b"".join(layer.take(data[i:i + 4001].tobytes())
                                  for i in range(0, len(data), 4001)), laid.tobytes())
        layer.finish()
        layer.close()
        os.remove(self.output)
        gone = os.path.join(root, "gone.mp4")
        for turns, fade, words in (
                (turns[::-1], 441, ("turn 2 (from sample 30000) starts before",)),
                ([(noise, 0, 5000, 20000), (noise, 0, 24999, 100)], 0, ("turn 2",)),
                ([(noise, 0, 130000, 10000)], 0, ("turn 1", "past the end of the original")),
                ([(noise, 80000, 0, 10000)], 0, ("turn 1", "which has 88200")),
                ([(noise, 0, 0, 0)], 0, ("turn 1 of the plan",)),
                ([(gone, 0, 0, 10)], 0, ("turn 1: piece not found: " + gone,)),
                ([], -1, ("fade",))):
            with self.subTest(turns=turns, fade=fade):
                write(turns, fade)
                self.assert_failed(self.run_convert(["--lay-turns", plan, self.output]), *words,
                                   requests=0)


@unittest.skipUnless(sys.platform.startswith("linux"), "watches processes through /proc")
class StopTest(ConvertCase):
    def test_a_stop_ends_the_piece_unless_the_service_has_it(self):
        """A stop (to the script's whole group, as the caller sends it) before the piece went out
        ends it, with no ffmpeg left; after, the piece paid for is finished and kept. The
        separator ends cleanly too."""
        # An ffmpeg that works until it is to write the piece (or read the separator's input),
        # then hangs; one that holds the encoding of the service's answer until let go.
        hanging, gate, gated, opened = (os.path.join(root, name) for name in (
            "hanging-ffmpeg", "gate-ffmpeg", "gated", "opened"))
        for path, test in ((hanging, "*alac*|*mixture.wav*) exec sleep 600"), (gate, (
                '*.voice.mp3*) : >"%s"; until [ -e "%s" ]; do sleep 0.01; done'
                % (gated, opened)))):
            with open(path, "w") as handle:
                handle.write('#!/bin/sh\ncase "$*" in %s;; esac\nexec "%s" "$@"\n'
                             % (test, os.path.abspath(FFMPEG)))
            os.chmod(path, 0o755)
        weights = os.path.join(root, "torch", "hub", "torchaudio", "models", "hdemucs_high_"
                               "trained.pt")
        os.makedirs(os.path.dirname(weights))
        open(weights, "w").close()
        offline, piece = dict(key=None, VOXSPLICE_OFFLINE_VOICE=1, VOXSPLICE_FFMPEG=hanging), [
            media["a"], self.output, VOICE]
        hung = lambda child: "sleep" in live_session(child.pid)  # noqa: E731
        cases = [  # signal, settings, arguments, when it comes, what comes of it
            (signal.SIGTERM, offline, piece, hung, "stopped"),
            (signal.SIGTERM, {}, ["--wait-for-go"] + piece,
             lambda child: json.loads(child.stdout.readline())["type"] == "ready", "stopped"),
            (signal.SIGTERM, dict(offline, script=SEPARATE, TORCH_HOME=os.path.join(root, "torch"),
                                  PYTHONPATH=fake_packages(**RUNNABLE)),
             [media["a"], gated + ".wav", opened + ".wav"], hung, "stopped"),
            (signal.SIGTERM, {}, piece, lambda child: self.service.held, "kept"),
            (signal.SIGTERM, {}, ["--speakers", media["a"], self.output],
             lambda child: self.service.held, "kept"),
            (signal.SIGTERM, {"VOXSPLICE_FFMPEG": gate}, piece,
             lambda child: os.path.exists(gated), "kept"),
            (signal.SIGKILL, offline, piece, hung, "killed")]
        for stop, settings, args, moment, outcome in cases:
            with self.subTest(signal=stop.name, settings=sorted(settings), outcome=outcome):
                self.service.clear()
                self.service.set(hold_answers=not settings)
                self.fresh_cache()
                command, env = self.command(args, **settings)
                temporary = tempfile.mkdtemp(dir=root)
                child = subprocess.Popen(command, env=dict(env, TMPDIR=temporary), text=True,
                                         stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                         stderr=subprocess.PIPE, start_new_session=True)
                self.addCleanup(subprocess.run, ["kill", "-KILL", "--", "-%d" % child.pid],
                                stderr=subprocess.DEVNULL)
                self.assertTrue(wait_for(lambda: moment(child)), "the moment never came")
                os.killpg(child.pid, stop)
                if outcome == "kept":  # the stop is noted; only then is the piece let go
                    self.assertTrue(any("Stopping after this piece" in line
                                        for line in iter(child.stderr.readline, "")))
                    self.service.release()
                    open(opened, "w").close()
                out, err = child.communicate(timeout=60)
                # The children lead groups of their own, in the script's session. Polled through
                # /proc: an orphan that has died may stay an unreaped zombie.
                self.assertTrue(wait_for(lambda: not live_session(child.pid)),
                                "ffmpeg outlived the script: %s" % live_session(child.pid))
                self.assertEqual(os.listdir(temporary), [])
                result = subprocess.CompletedProcess(command, child.returncode, out, err)
                if outcome == "stopped":
                    self.assertFalse(self.assert_failed(result, "stopped", requests=0,
                                                        kind="stopped")["possibly_charged"])
                elif outcome == "killed":
                    self.assertEqual(child.returncode, -signal.SIGKILL)
                else:  # the speakers found are kept as a converted piece is
                    found = args[0] == "--speakers"
                    if not found:
                        self.assert_converted(result, media["a"])
                    self.assertEqual([item["type"] for item in objects(result)] + [len(
                        self.service.requests)], ["answered"] * (not found) + ["result", 1])
                    self.assertEqual(len([name for _, _, names in os.walk(self.cache) for name
                                          in names if name.endswith((".mp4", ".json"))]), 1)
                    os.remove(self.output)


if __name__ == "__main__":
    unittest.main()
