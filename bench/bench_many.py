#!/usr/bin/env python3
"""Many videos, measured: eight 5-minute videos, two pairs of them with the same audio track (six
distinct audios, 30 minutes), through the stand-in service (an answer 0.1 s per second of audio
after the upload, the creator plan: 5 requests at once), each way from an empty cache:
(a) one `voxsplice-cli --yes --out OUT --cache C v1..v8`;
(b) `parallel -j4 voxsplice-cli --yes --out OUT --cache C ::: v*.mp4`.
Prints for each way the seconds billed by the voice changer (goal: the distinct audio, 1800 s),
the requests, the wall, the CPU time of the runs and of the stand-in, and the best schedule at 5
requests at once: the latencies of the pieces paid for, longest first on 5 slots, plus one
video's own work (from (a): its wall less the time a request was out, over the eight videos);
and for whole videos four at a time, two such videos one after the other. Goal: (b) within
1.10 x of the best schedule.

    python3 bench/bench_many.py [build/app] [--repeat N]     (needs GNU parallel)
"""

import argparse, json, os, pathlib, resource, shutil, subprocess, sys, tempfile, time
import types, urllib.request

ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "bench"))
from bench import Bench  # noqa: E402
from bench_speakers import LATENCY, best_schedule  # noqa: E402

SLOTS = 5  # the stand-in's plan, creator
SECONDS = int(os.environ.get("BENCH_SECONDS", 300))  # a shorter video to try the harness
# Which audio each video has: v1 and v2 the same (both among the first four that parallel
# starts, so that one waits for the other's answer), v4 and v7 the same (v7 starts later and
# finds it in the cache).
AUDIOS = [0, 0, 1, 2, 3, 4, 2, 5]
COLOURS = ["gray", "red", "green", "blue", "yellow", "white", "black", "orange"]


def make_videos(ffmpeg, folder):
    """v1.mp4 .. v8.mp4: a 64x48, 1 fps picture of its own colour over the audio AUDIOS names,
    each audio a tone of its own, encoded once and copied into its videos bit for bit."""
    ffmpeg = [ffmpeg, "-nostdin", "-v", "error", "-y"]
    for audio in sorted(set(AUDIOS)):
        subprocess.run(ffmpeg + ["-f", "lavfi", "-i", "sine=f=%d:r=44100:d=%d" % (
            180 + 45 * audio, SECONDS), "-c:a", "aac", "-ac", "1",
            str(folder / ("a%d.m4a" % audio))], check=True)
    for number, (audio, colour) in enumerate(zip(AUDIOS, COLOURS), 1):
        subprocess.run(ffmpeg + ["-f", "lavfi", "-i", "color=c=%s:s=64x48:r=1:d=%d" % (
            colour, SECONDS), "-i", str(folder / ("a%d.m4a" % audio)), "-map", "0:v",
            "-map", "1:a", "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p",
            "-c:a", "copy", "-shortest", str(folder / ("v%d.mp4" % number))], check=True)
    return ["v%d.mp4" % number for number in range(1, len(AUDIOS) + 1)]


def busy(requests):
    """How long at least one request was out: the union of [arrival, arrival + latency]."""
    total, end = 0.0, float("-inf")
    for start, stop in sorted((r["time"], r["time"] + r["seconds"] * LATENCY) for r in requests):
        total += max(0.0, stop - max(start, end))
        end = max(end, stop)
    return total


def cpu(pid=None):
    """CPU seconds of this process's children that ended, or of process `pid` and its own."""
    if pid is None:
        used = resource.getrusage(resource.RUSAGE_CHILDREN)
        return used.ru_utime + used.ru_stime
    with open("/proc/%d/stat" % pid) as handle:
        times = handle.read().rpartition(")")[2].split()[11:15]
    return sum(map(int, times)) / os.sysconf("SC_CLK_TCK")


def run_way(name, command, folder, env, url, standin):
    """Runs one way from an empty cache and an empty ledger; its figures."""
    with urllib.request.urlopen(urllib.request.Request(url + "/_standin/clear", b"{}"),
                                timeout=30) as answer:
        answer.read()
    out, cache = folder / ("out-" + name), folder / ("cache-" + name)
    for emptied in (out, cache):
        shutil.rmtree(emptied, ignore_errors=True)
    command = [part.replace("OUT", str(out)).replace("CACHE", str(cache)) for part in command]
    with open("/proc/loadavg") as handle:
        load = float(handle.read().split()[0])
    log, errors = folder / ("log-%s.txt" % name), folder / ("errors-%s.txt" % name)
    began, used, served = time.monotonic(), cpu(), cpu(standin)
    with open(log, "w") as said, open(errors, "w") as failed:
        done = subprocess.run(command, env=env, cwd=folder, stdin=subprocess.DEVNULL,
                              stdout=said, stderr=failed)
    wall, used, served = time.monotonic() - began, cpu() - used, cpu(standin) - served
    if done.returncode:
        print("%s: exit %d\n%s" % (name, done.returncode, errors.read_text()[-1500:]),
              file=sys.stderr)
    said, ledger = log.read_text(), Bench.ledger(url)
    asked = [r for r in ledger["requests"] if r["path"].startswith("/v1/speech-to-speech/")]
    paid = [r for r in asked if r["charged"]]
    return {"way": name, "exit": done.returncode,
            "videos_made": len(list(out.glob("*_AI.*"))) if out.exists() else 0,
            "billed_s": round(sum(r["seconds"] for r in paid), 3), "requests": len(asked),
            "paid_requests": len(paid), "refused_429": sum(r["status"] == 429 for r in asked),
            "paid_twice": sum(n - 1 for n in ledger["charges_per_audio"].values()),
            "peak_at_once": ledger["peak_in_flight"], "reused": said.count("from the cache ("),
            "wall_s": round(wall, 1),
            "cpu_s": round(used, 1), "standin_cpu_s": round(served, 1),
            "busy_s": round(busy(paid), 1), "load_before": load,
            "latencies": [r["seconds"] * LATENCY for r in paid]}


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("app", nargs="?", default=str(ROOT / "build" / "app"))
    parser.add_argument("--repeat", type=int, default=2)
    args = parser.parse_args()
    app = pathlib.Path(args.app).resolve()
    cli = str(app / "voxsplice-cli")
    if not shutil.which("parallel"):
        raise SystemExit("GNU parallel is needed: apt-get install parallel")
    ffmpeg = str((app / "ffmpeg" / "bin" / "ffmpeg").resolve())
    standin, url = Bench.standin(types.SimpleNamespace(ffmpeg=ffmpeg), concurrency=SLOTS)
    results = []
    try:
        with tempfile.TemporaryDirectory(prefix="bench-many-") as folder:
            folder = pathlib.Path(folder)
            names = make_videos(ffmpeg, folder)
            env = dict(os.environ, XDG_CONFIG_HOME=str(folder / "config"),
                       XDG_CACHE_HOME=str(folder / "home-cache"), ELEVENLABS_API_BASE=url,
                       elevenlabs_api_key="bench-key")
            env.pop("VOXSPLICE_OFFLINE_VOICE", None)
            common = [cli, "--yes", "--out", "OUT", "--cache", "CACHE"]
            for repetition in range(1, args.repeat + 1):
                for name, command in (("one", common + names),  # no spaces: parallel's command
                                      ("parallel", ["parallel", "-j4"] + common + [":::"] + names)):
                    results.append(dict(run_way(name, command, folder, env, url, standin.pid),
                                        repetition=repetition))
                one, many = results[-2:]
                work = (one["wall_s"] - one["busy_s"]) / len(names)  # one video's own work
                for figures in (one, many):
                    figures["video_work_s"] = round(work, 1)
                    figures["best_s"] = round(best_schedule(figures["latencies"], SLOTS) + work, 1)
                    figures["ratio_to_best"] = round(figures["wall_s"] / figures["best_s"], 3)
                    # Whole videos four at a time: two of them, one after the other, in a slot.
                    figures["best_4_runs_s"] = round(-(-len(names) // 4) * (
                        work + max(figures["latencies"])), 1)
                    print(json.dumps({k: v for k, v in figures.items() if k != "latencies"}),
                          flush=True)
    finally:
        standin.terminate()
        standin.wait()
    distinct = len(set(AUDIOS)) * SECONDS
    met = all(r["exit"] == 0 and abs(r["billed_s"] - distinct) < 1 for r in results) and all(
        r["ratio_to_best"] <= 1.10 for r in results if r["way"] == "parallel")
    print("creator plan (%d at once), distinct audio %d s: goals %s"
          % (SLOTS, distinct, "met" if met else "MISSED"))
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
