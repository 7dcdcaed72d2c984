#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds into build/ and runs the tests.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"

install_missing_packages

echo "== format check"
project_sources | xargs clang-format --dry-run -Werror

echo "== build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTK_WERROR=ON
cmake --build build --parallel 2

echo "== tests"
ctest --test-dir build --output-on-failure --parallel 2
