#!/usr/bin/env python3
"""A voice for each speaker, measured: a 20-minute dialogue of two speakers after a 60 s music
intro goes through voxsplice-cli --speakers and the stand-in service (an answer 0.1 s per second
of audio after the upload). Prints the seconds billed against the speaking time, the run's wall
against the speech to text's time plus the best schedule of its pieces, and how far each turn
landed from its place in the source.

    python3 bench/bench_speakers.py [build/app]
"""

import array, json, math, os, pathlib, random, subprocess, sys, tempfile, time

RATE = 44100
LATENCY = 0.1  # s per s of audio, as the stand-in is told
ROOT = pathlib.Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests" / "convert"))
from standin_service import StandinService  # noqa: E402


def dialogue(seed=7, minutes=20, intro=60):
    """The turns ([start, end, speaker]) and their words ([start, end, label, text])."""
    rng, at, turns, words = random.Random(seed), float(intro), [], []
    while at < minutes * 60 - 15:
        speaker = len(turns) % 2
        length = rng.uniform(2, 12)
        turns.append([at, at + length, speaker])
        word = at
        while word < at + length - 0.2:  # words of 0.2-0.6 s with short gaps inside a turn
            end = min(word + rng.uniform(0.2, 0.6), at + length)
            words.append([round(word, 3), round(end, 3), "speaker_%d" % speaker, "w"])
            word = end + rng.uniform(0.03, 0.15)
        at += length + rng.uniform(0.5, 1.5)
    return turns, words, minutes * 60


def audio(turns, seconds, intro):
    """Mono samples: two tones of music, then each speaker's own tone in their turns."""
    samples = array.array("h", bytes(2 * int(seconds * RATE)))
    for i in range(int(intro * RATE)):
        samples[i] = int(6000 * (math.sin(2 * math.pi * 225 * i / RATE) +
                                 math.sin(2 * math.pi * 315 * i / RATE)))
    periods = [array.array("h", (int(12000 * math.sin(2 * math.pi * k / period))
                                 for k in range(period))) for period in (147, 90)]  # 300, 490 Hz
    for start, end, speaker in turns:
        first, last, period = int(start * RATE), int(end * RATE), periods[speaker]
        for i in range(first, last, len(period)):
            n = min(len(period), last - i)
            samples[i:i + n] = period[:n]
    return samples


def onsets(samples, turns, around=0.05):
    """Where each turn's tone begins: the first loud sample near its start."""
    found = []
    for start, _, _ in turns:
        first = int((start - around) * RATE)
        found.append(next((i for i in range(first, first + int(2 * around * RATE))
                           if abs(samples[i]) > 3000), None))
    return found


def decoded(path):
    return array.array("h", subprocess.run(
        ["ffmpeg", "-v", "error", "-i", str(path), "-map", "0:a:0", "-ac", "1", "-ar", str(RATE),
         "-f", "s16le", "-"], check=True, capture_output=True).stdout)


def best_schedule(lengths, slots):
    free = [0.0] * slots
    for length in sorted(lengths, reverse=True):
        free[free.index(min(free))] += length
    return max(free)


def main():
    app = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ROOT / "build" / "app").resolve()
    turns, words, seconds = dialogue()
    # The new voice comes back time-exact (not a semitone up, which moves a tone's onset by up to
    # 25 ms in the stand-in's own pitch shift): the onsets then tell where the program laid each
    # turn.
    with tempfile.TemporaryDirectory() as folder, StandinService(
            lifetime=3600, latency=LATENCY, pitched=False) as service:
        folder = pathlib.Path(folder)
        (folder / "talk.pcm").write_bytes(audio(turns, seconds, 60).tobytes())
        subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i",
                        "color=size=64x48:rate=1:duration=%d" % seconds, "-f", "s16le", "-ar",
                        str(RATE), "-ac", "1", "-i", str(folder / "talk.pcm"), "-c:v", "libx264",
                        "-c:a", "alac", "-shortest", str(folder / "talk.mov")], check=True)
        service.register_transcript(words)
        env = dict(os.environ, XDG_CONFIG_HOME=str(folder / "config"),
                   XDG_CACHE_HOME=str(folder / "cache"), elevenlabs_api_key=service.key,
                   ELEVENLABS_API_BASE=service.url)
        env.pop("VOXSPLICE_OFFLINE_VOICE", None)
        (folder / "out").mkdir()
        began, stages = time.monotonic(), {}
        with subprocess.Popen([str(app / "voxsplice-cli"), "--speakers", "--voice", "Liam",
                               "--voice-for", "2=Mimi", "--pieces-at-once", "5", "--yes",
                               "--work", str(folder / "work"), "--out", str(folder / "out"),
                               str(folder / "talk.mov")], env=env, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL, text=True) as cli:
            for line in cli.stdout:  # when each step began, from its line
                step = line.partition(": ")[2].strip()
                if step.endswith("ing") and step not in stages:
                    stages[step] = round(time.monotonic() - began, 1)
        if cli.returncode:
            raise SystemExit("voxsplice-cli failed: %d" % cli.returncode)
        wall = time.monotonic() - began
        sent = [r for r in service.requests if r["voice_id"]]
        told = [r for r in service.requests if r["path"] == "/v1/speech-to-text"]
        billed = sum(r["seconds"] for r in sent)
        speaking = sum(end - start for start, end, _ in turns)
        ideal = sum(r["seconds"] for r in told) * LATENCY + best_schedule(
            [r["seconds"] * LATENCY for r in sent], 5)
        source = decoded(folder / "work" / "parts" / "original.mp4")
        joined = decoded(folder / "work" / "joined.mp4")
        shifts = [abs(a - b) / RATE * 1000 for a, b in zip(onsets(source, turns),
                                                           onsets(joined, turns))
                  if a is not None and b is not None]
        intro = int(59.5 * RATE)
        print(json.dumps({
            "turns": len(turns), "pieces": len(sent), "speaking_s": round(speaking, 1),
            "billed_s": round(billed, 1), "billed_ratio": round(billed / speaking, 3),
            "wall_s": round(wall, 1), "ideal_s": round(ideal, 1),
            "wall_ratio": round(wall / ideal, 3), "steps_began_s": stages,
            "speech_to_text_s": round(sum(r["seconds"] for r in told) * LATENCY, 1),
            "turns_measured": len(shifts),
            "worst_turn_shift_ms": round(max(shifts), 3) if shifts else None,
            "intro_unchanged": source[:intro] == joined[:intro]}, indent=1))


if __name__ == "__main__":
    main()
