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

# The window's own settings stay out of the user's: a scratch home for the run, whose
# stored port is the usual adapter rather than whatever this machine enumerates.
scratch="$(mktemp -d)"
mkdir -p "$scratch/config/tkcnt"
printf '[General]\npr=/dev/ttyUSB0\n' >"$scratch/config/tkcnt/tkgps.conf"
# The status bar shows the configuration's path, the program's folder for a new one:
# the program runs from a folder of a neutral name, so the picture shows no path of
# this machine.
neutral=/tmp/TK515Pro
if ! mkdir "$neutral" 2>/dev/null; then
    rm -rf "$scratch"
    echo "$neutral exists already (another run?); remove it and try again" >&2
    exit 1
fi
trap 'rm -rf "$scratch" "$neutral"' EXIT
cp build/bin/tk515pro "$neutral/"

HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" \
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
        "$2"/tk515pro &
        app=$!
        sleep 3
        import -window root "$1"
        # Only the window: the empty screen around it goes.
        convert "$1" -trim +repage "$1"
        kill "$app"
        wait "$app" 2>/dev/null || true
    ' screenshot "$out" "$neutral"
echo "Screenshot: $out"
