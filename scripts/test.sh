#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Window tests need no display.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$here/scripts/setup.sh"
cd "${TARNVALE_BUILD_DIR:-$here/build}"
ctest --output-on-failure --timeout 600 "$@"
