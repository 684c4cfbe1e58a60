#!/usr/bin/env bash
# Installs what is missing, builds the program (not the tests: scripts/test.sh builds those),
# and starts Tarnvale.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$here/scripts/setup.sh" --program
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Tarnvale is a desktop program and needs a display, but none is set (DISPLAY is empty)." >&2
    echo "Run it from a desktop session, or under a virtual display:" >&2
    echo "  apt-get install xvfb && xvfb-run -a $0" >&2
    exit 2
fi
exec "${TARNVALE_BUILD_DIR:-$here/build}/app/tarnvale" "$@"
