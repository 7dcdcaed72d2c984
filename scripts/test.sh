#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds into build/ and runs the
# tests; builds and runs the same tests with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/; fuzzes the file reader for a bounded time
# in build-fuzz/ when clang is there (TK_FUZZ_SECONDS, default 30).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"

# The machines have two cores, shared.
JOBS=2
FUZZ_SECONDS="${TK_FUZZ_SECONDS:-30}"

install_missing_packages

echo "== format check"
project_sources | xargs clang-format --dry-run -Werror

echo "== build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTK_WERROR=ON
cmake --build build --parallel "$JOBS"

echo "== build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTK_WERROR=ON -DTK_SANITIZE=ON
cmake --build build-asan --parallel "$JOBS"

echo "== tests with sanitizers"
ctest --test-dir build-asan --output-on-failure --parallel "$JOBS"

run_file_reader_fuzzer "$FUZZ_SECONDS" "$JOBS"

# The main test run comes last, so that CTest's summary closes the output.
echo "== tests"
ctest --test-dir build --output-on-failure --parallel "$JOBS"
