#!/usr/bin/env bash
# Line coverage of src/ by the whole test suite: a Debug build with --coverage in build-coverage,
# every test run once, gcovr for the C++ code; the Python script's runs (the Python tests and the
# conversions of the C++ tests) measured with Debian's python3-coverage. Prints both figures and
# their sum over all lines.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${COVERAGE_BUILD_DIR:-$root/build-coverage}

tools/install-deps.sh gcovr python3-coverage
. tools/build-env.sh

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS=--coverage \
    -DCMAKE_EXE_LINKER_FLAGS=--coverage -DPython3_EXECUTABLE=/usr/bin/python3 >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
find "$build" -name '*.gcda' -delete

# Every Python process started below, however deep, records what it ran.
py="$build/python-coverage"
rm -rf "$py" && mkdir -p "$py"
cat >"$py/sitecustomize.py" <<'PY'
import coverage
coverage.process_startup()
PY
cat >"$py/coveragerc" <<RC
[run]
parallel = True
data_file = $py/.coverage
include = */voxconvert/*.py
[paths]
package =
    $root/src/script/voxconvert/
    */voxconvert/
RC
export COVERAGE_PROCESS_START="$py/coveragerc" PYTHONPATH="$py${PYTHONPATH:+:$PYTHONPATH}"
# The C++ tests run the working folder's convert.py with the interpreter the window finds.
export PATH="$py/bin:$PATH"
mkdir -p "$py/bin" && ln -sf /usr/bin/python3 "$py/bin/python3"

status=0
(cd "$build" && ctest -j"$(nproc)" --output-on-failure) || status=$?

echo "== C++ (src/, gcovr)"
gcovr -r "$root" --filter "$root/src/" --print-summary "$build" 2>/dev/null |
    tee "$py/gcovr.txt" | grep -E "^(src/|lines:|TOTAL)"
echo "== Python (src/script, coverage.py)"
cd "$py"
/usr/bin/python3 -m coverage combine --rcfile="$py/coveragerc" -q . || true
/usr/bin/python3 -m coverage report --rcfile="$py/coveragerc" --omit='*/tests/*' | tail -12
exit $status
