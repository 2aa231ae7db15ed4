#!/usr/bin/env python3
"""Keep background: how long the local separator takes per minute of audio on this machine, and
how loud the background comes out through the service's isolator and the local separator.

    /usr/bin/python3 bench/bench_background.py [--minutes 1]   (the Python that has torchaudio)

The source is speech (espeak-ng) over a steady low (55 Hz) and high (6000 Hz) tone; the levels
are those of the two tones in the source, in the output with the background kept, and in the
output without (the stand-in service returns the voice alone, as the real one does). The local
separator's speed is measured with the model's architecture (the weights do not change the
work); its tone levels need its real weights, fetched once with the program's consent.
"""

import argparse
import json
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
sys.path[:0] = [os.path.join(SOURCE, "tests", "convert"), os.path.join(SOURCE, "src", "script")]
import test_convert  # noqa: E402  (the same source, tones and level measure as the test)

SPEED = """
import sys, time, torch
sys.path.insert(0, %r)
import separate
from torchaudio.pipelines import HDEMUCS_HIGH_MUSDB_PLUS as bundle
model = bundle._model_factory_func().eval()
mixture = torch.randn(2, int(%f * 60 * 44100)) * 0.1
started = time.perf_counter()
separate.separate(model, mixture)
print(time.perf_counter() - started, torch.get_num_threads())
"""


def separator_speed(python, minutes):
    result = subprocess.run([python, "-c", SPEED % (os.path.join(SOURCE, "src", "script"),
                                                    minutes)], capture_output=True, text=True)
    if result.returncode != 0:
        return {"problem": result.stderr.strip().splitlines()[-1:]}
    seconds, threads = result.stdout.split()
    return {"minutes": minutes, "seconds": float(seconds), "threads": int(threads),
            "seconds_per_minute": float(seconds) / minutes}


def levels(weights):
    """The tone levels without the background kept, through the service's isolator and, where
    its weights are here, through the local separator, as the test takes them."""
    runs = {"off": {}, "service": {"VOXSPLICE_KEEP_BACKGROUND": "service"}}
    if weights:
        runs["local"] = {"VOXSPLICE_KEEP_BACKGROUND": "local", "VOXSPLICE_OFFLINE_VOICE": 1}
    test_convert.setUpModule()
    shutil.copy(os.path.join(SOURCE, "src", "script", "separate.py"), test_convert.work)
    try:
        case = test_convert.BackgroundTest("test_the_background_stays_under_the_new_voice")
        case.setUpClass()
        try:
            case.setUp()
            return case.measure_levels(runs)
        finally:
            case.tearDownClass()
    finally:
        test_convert.tearDownModule()


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--minutes", type=float, default=1.0)
    args = parser.parse_args()
    check = json.loads(subprocess.run([sys.executable, os.path.join(SOURCE, "src", "script",
                                                                    "separate.py"), "--check"],
                                      capture_output=True, text=True).stdout)
    report = {"separator": separator_speed(sys.executable, args.minutes) if check["available"]
              else {"problem": "python3-torchaudio is not installed for %s" % sys.executable},
              "weights": check["weights"], "levels": levels(check["weights"])}
    print(json.dumps(report, indent=2))


if __name__ == "__main__":
    main()
