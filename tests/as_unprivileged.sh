#!/usr/bin/env bash
# Runs a test program as an unprivileged user (nobody) when started as root: root may
# open read-only files for writing, so some checks mean nothing under root.
#   tests/as_unprivileged.sh PROGRAM [ARGUMENTS...]
# The checkout may lie where nobody cannot enter (root's 0700 home), so the program is
# copied into a fresh temporary folder that nobody can reach and run from there. When
# even that fails the test is skipped with the reason (exit status 77, which the
# tests' SKIP_RETURN_CODE takes as "skipped").
set -euo pipefail
readonly SKIP=77
readonly NOBODY=65534

if [[ $(id -u) -ne 0 ]]; then
    exec "$@"
fi
if ! command -v setpriv >/dev/null; then
    echo "SKIPPED: setpriv (util-linux) is missing, so the test cannot run as user nobody"
    exit "$SKIP"
fi

program="$1"
shift
as_nobody() {
    setpriv --reuid="$NOBODY" --regid="$NOBODY" --clear-groups -- "$@"
}

scratch="$(mktemp -d "${TMPDIR:-/tmp}/tk515-unprivileged.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
cp "$program" "$scratch/"
copy="$scratch/$(basename "$program")"
# nobody's own folder: it runs the copy there and keeps its scratch files there.
chmod 0755 "$copy"
chown -R "$NOBODY:$NOBODY" "$scratch"
if ! as_nobody test -x "$copy"; then
    echo "SKIPPED: user nobody cannot reach $scratch (is ${TMPDIR:-/tmp} closed to others" \
        "or mounted noexec?)"
    exit "$SKIP"
fi
cd "$scratch"
HOME="$scratch" TMPDIR="$scratch" as_nobody "$copy" "$@"
