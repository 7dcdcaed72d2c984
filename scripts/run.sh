#!/usr/bin/env bash
# Installs what is missing, builds into build/ and starts the window.
#
#   scripts/run.sh                 the window talks to a simulated transmitter
#                                  (tk515-sim) on a new pseudo-terminal; the simulator
#                                  ends with the window
#   scripts/run.sh --modem         the same with the simulator as a GSM modem in front
#                                  of the transmitter ("Удаленное чтение/запись")
#   scripts/run.sh --port PORT     the window talks to the device on PORT
#                                  (/dev/ttyUSB0, ...), no simulator
#
# Further arguments go to the window. The port given here is used for this run only;
# the stored port changes only when it is chosen in "Параметры" -> "Порт".
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
cd "$ROOT"

port=""
sim_args=()
window_args=()
while [[ $# -gt 0 ]]; do
    case "$1" in
    --port)
        [[ $# -ge 2 && -n "$2" ]] || { echo "run.sh: --port needs a port, e.g. /dev/ttyUSB0" >&2; exit 2; }
        port="$2"
        shift 2
        ;;
    --modem)
        sim_args+=(--modem)
        shift
        ;;
    --port=*)
        port="${1#--port=}"
        shift
        ;;
    *)
        window_args+=("$1")
        shift
        ;;
    esac
done

install_missing_packages

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --parallel 2 --target tk515pro tk515-sim

if [[ -n "$port" ]]; then
    exec build/bin/tk515pro --port "$port" "${window_args[@]}"
fi

# The simulator prints its pseudo-terminal's path on its first line, then keeps
# serving on it; what it is asked goes to this terminal.
coproc SIM { exec build/bin/tk515-sim "${sim_args[@]}"; }
# shellcheck disable=SC2153 # SIM_PID is set by coproc
sim_pid=$SIM_PID
trap 'kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true' EXIT
if ! read -r -t 10 pty <&"${SIM[0]}" || [[ -z "$pty" ]]; then
    echo "run.sh: the simulator did not start" >&2
    exit 1
fi
if [[ ${#sim_args[@]} -gt 0 ]]; then
    echo "run.sh: simulated GSM modem and transmitter on $pty"
else
    echo "run.sh: simulated transmitter on $pty"
fi
status=0
build/bin/tk515pro --port "$pty" "${window_args[@]}" || status=$?
exit "$status"
