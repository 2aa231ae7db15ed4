#!/bin/bash
# Builds voxsplice with its benchmarks, runs every benchmark against the bare tools, then fuzzes
# the text parsers for a bounded time. Prints each figure beside the bare figure and their ratio.
#
#   bench/run.sh [--quick]          (from anywhere)
#
# Environment: BENCH_BUILD_DIR (default build-bench), FUZZ_SECONDS (per target, default 60),
# BENCH_SKIP_FUZZ=1 to leave the fuzzing out.
# Not part of the test command: the 60-minute video alone takes a few minutes.
set -euo pipefail
source_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${BENCH_BUILD_DIR:-$source_dir/build-bench}
fuzz_seconds=${FUZZ_SECONDS:-60}

# What the benchmarks need beyond the build's own packages: clang and libFuzzer's runtime,
# /usr/bin/time, and Xvfb for the second start-up figure.
missing=()
command -v clang++ >/dev/null || missing+=(clang)
ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ||
    missing+=(libclang-rt-14-dev)
[ -x /usr/bin/time ] || missing+=(time)
command -v Xvfb >/dev/null || missing+=(xvfb)
command -v ffprobe >/dev/null || missing+=(ffmpeg)
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing ${missing[*]} ..."
    sudo_cmd=$([ "$(id -u)" -eq 0 ] && echo "" || echo "sudo")
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi

echo "== Building in $build_dir"
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release -DVOXSPLICE_BENCH=ON >/dev/null
cmake --build "$build_dir" -j"$(nproc)" --target voxsplice voxsplice-cli bench_fullauto bench_startup >/dev/null

echo "== Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)," \
    "$(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)"
echo "== Benchmarks (voxsplice against the bare tools)"
status=0
python3 "$source_dir/bench/bench.py" --build "$build_dir" --json "$build_dir/bench-results.json" \
    "$@" || status=$?

if [ "${BENCH_SKIP_FUZZ:-0}" != 1 ]; then
    echo "== Fuzzing, $fuzz_seconds s per target"
    cmake -S "$source_dir/bench/fuzz" -B "$build_dir/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    cmake --build "$build_dir/fuzz" -j"$(nproc)" >/dev/null
    for target in fuzz_template fuzz_interpreters fuzz_progress; do
        # The working corpus grows in the build folder; the seeds and the findings are kept in
        # bench/fuzz, where the reliability test replays them.
        corpus="$build_dir/fuzz/corpus/$target"
        crashes="$source_dir/bench/fuzz/crashes/$target"
        mkdir -p "$corpus" "$crashes"
        before=$(find "$crashes" -type f ! -name '.*' | wc -l)
        "$build_dir/fuzz/$target" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=1024 \
            -dict="$source_dir/bench/fuzz/fuzz.dict" -artifact_prefix="$crashes/" \
            "$corpus" "$source_dir/bench/fuzz/corpus/$target" >"$build_dir/fuzz/$target.log" 2>&1 ||
            true
        after=$(find "$crashes" -type f ! -name '.*' | wc -l)
        runs=$(grep -Eo 'Done [0-9]+ runs' "$build_dir/fuzz/$target.log" | grep -Eo '[0-9]+' || echo "?")
        if [ "$after" -gt "$before" ]; then
            echo "$target: $runs runs, NEW FINDING kept in bench/fuzz/crashes/$target/" \
                "(tst_core replays it from now on; log: $build_dir/fuzz/$target.log)"
            status=1
        else
            echo "$target: $runs runs in $fuzz_seconds s, no new finding" \
                "($before known in bench/fuzz/crashes/$target/)"
        fi
    done
fi
exit $status
