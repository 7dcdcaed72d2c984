#!/usr/bin/env bash
# Takes a screenshot of the real window under a virtual X server:
#   scripts/screenshot.sh [output.png]        (default docs/screenshot.png)
# Builds first when build/bin/tk515pro is missing.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"

out="${1:-docs/screenshot.png}"
install_missing_packages
if [[ ! -x build/bin/tk515pro ]]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build --parallel 2
fi

# The window's own settings stay out of the user's: a scratch home for the run.
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" \
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
        build/bin/tk515pro &
        app=$!
        sleep 3
        import -window root "$1"
        # Only the window: the empty screen around it goes.
        convert "$1" -trim +repage "$1"
        kill "$app"
        wait "$app" 2>/dev/null || true
    ' screenshot "$out"
echo "Screenshot: $out"
