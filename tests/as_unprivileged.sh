#!/usr/bin/env bash
# Runs a test program as an unprivileged user when started as root (root may open
# read-only files for writing, so some checks mean nothing under root).
set -euo pipefail
if [[ $(id -u) -eq 0 ]] && command -v setpriv >/dev/null; then
    exec setpriv --reuid=65534 --regid=65534 --clear-groups -- "$@"
fi
exec "$@"
