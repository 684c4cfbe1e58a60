#!/usr/bin/env bash
# Installs what building and testing Tarnvale needs on Debian 12, then configures and builds.
# Safe to run again: packages already present are not fetched, and the build is incremental.
#
#   scripts/setup.sh             builds everything: the program, the tests, fuzzers, benchmarks
#   scripts/setup.sh --program   builds only the program and its example tables (scripts/run.sh);
#                                a later full build goes on from there
set -euo pipefail

targets=()
case ${1:-} in
--program) targets=(--target tarnvale tarnvale_examples) ;;
"") ;;
*) echo "usage: scripts/setup.sh [--program]" >&2; exit 2 ;;
esac

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TARNVALE_BUILD_DIR:-$here/build}

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-qpa-plugins libgl-dev
    libeigen3-dev
    fonts-liberation
    googletest libgtest-dev libbenchmark-dev
    clang libclang-rt-14-dev
    # the package check of scripts/test.sh: cpack's DEB generator needs file and
    # dpkg-shlibdeps; the installed desktop entry and metainfo are validated
    file dpkg-dev desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo_cmd=()
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
        sudo_cmd=(sudo)
    fi
    # The lock timeout waits for another apt-get or dpkg on the machine instead of failing.
    "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 update -qq
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 \
        install -y -qq --no-install-recommends "${missing[@]}"
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" --parallel "$(nproc)" "${targets[@]}"
