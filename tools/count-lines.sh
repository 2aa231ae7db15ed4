#!/usr/bin/env bash
# Prints the non-blank lines of tests and of code (C++, Python and CMake; bench/ counts as code)
# and their ratio, which the project keeps between 0.25 and 0.35.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files --cached --others --exclude-standard |
    grep -E '\.(cpp|h|hpp|cc|py|cmake)$|CMakeLists\.txt$' || true)
test_pattern='(^|/)(tests?|testing)/|(^|/)test_|_test\.|tst_'
count() { xargs -r cat 2>/dev/null | grep -cv '^\s*$' || true; }
tests=$(grep -E "$test_pattern" <<<"$files" | count)
code=$(grep -vE "$test_pattern" <<<"$files" | count)
awk -v t="$tests" -v c="$code" 'BEGIN {
    printf "test lines %d, code lines %d, ratio %.3f (aim: 0.25 to 0.35)\n", t, c, t / c
}'
