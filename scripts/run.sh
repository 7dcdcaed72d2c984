#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts the window.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"

install_missing_packages

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel 2

exec build/bin/tk515pro "$@"
