#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test, in three stages:
#   1. the normal build (build/) and its CTest suite, with the bounded fuzz runs;
#   2. a build with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/) and the same
#      suite without the fuzz runs (the fuzzers are sanitized already); any finding fails;
#   3. the Debian package: built with cpack from build/, installed with apt-get, its desktop
#      entry and metainfo validated, the installed program started offscreen, then removed.
# Window tests need no display. The last line sums up all three: "tests: N passed, N failed".
#
#   scripts/test.sh            everything (what CI runs)
#   scripts/test.sh --quick    stage 1 only, without the fuzz runs
#   scripts/test.sh -- ARGS    ARGS go to both CTest runs (e.g. -- -R form1)
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TARNVALE_BUILD_DIR:-$here/build}
asan_build=${TARNVALE_ASAN_BUILD_DIR:-$here/build-asan}

quick=0
ctest_args=()
while (($#)); do
    case $1 in
    --quick) quick=1 ;;
    --) shift; ctest_args=("$@"); break ;;
    *) echo "usage: scripts/test.sh [--quick] [-- CTEST-ARGS...]" >&2; exit 2 ;;
    esac
    shift
done

passed=0
failed=0
failures=()
fail() { failed=$((failed + 1)); failures+=("$1"); echo "FAILED: $1"; }
pass() { passed=$((passed + 1)); echo "passed: $1"; }

stage_start=$SECONDS
stage() { echo; echo "=== $1"; stage_start=$SECONDS; }
stage_done() { echo "=== $1 took $((SECONDS - stage_start)) s"; }

# Adds the counts of a CTest run (its log in $1) to the totals; a run that printed no summary
# (it could not start, or found no test) counts as one failure.
count_ctest() {
    local log=$1 name=$2 summary
    summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [[ $summary =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]] && ((BASH_REMATCH[2] > 0)); then
        passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
        failed=$((failed + BASH_REMATCH[1]))
        ((BASH_REMATCH[1] == 0)) || failures+=("$name: ${BASH_REMATCH[1]} tests")
    else
        fail "$name ran no test"
    fi
}

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
apt_get() {
    # Waits for another apt-get or dpkg on the machine instead of failing at once.
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 "$@"
}

# --- 1. normal build and tests -----------------------------------------------------------
stage "normal build (setup.sh: packages, configure, build)"
normal_built=0
if "$here/scripts/setup.sh"; then
    normal_built=1
    stage_done "normal build"
    stage "normal tests (ctest in $build)"
    normal_args=()
    ((quick)) && normal_args=(-LE fuzz)
    (cd "$build" && ctest --output-on-failure --timeout 600 "${normal_args[@]}" "${ctest_args[@]}") \
        2>&1 | tee "$build/test-output.log"
    count_ctest "$build/test-output.log" "normal build"
    # How far each fuzzer got, from the full output CTest keeps of the run.
    awk '/^[0-9]+\/[0-9]+ Testing: / { name = $3 }
         /^Done [0-9]+ runs in [0-9]+ second/ { print "fuzzing: " name " executed " $2 " inputs in " $5 " s" }' \
        "$build/Testing/Temporary/LastTest.log" 2>/dev/null
    stage_done "normal tests"
else
    fail "normal build"
fi

if ((quick)); then
    echo
    echo "--quick: the sanitizer build and the package check are left out"
    echo "tests: $passed passed, $failed failed"
    ((failed == 0))
    exit
fi

# --- 2. sanitizer build and tests -----------------------------------------------------------
stage "sanitizer build ($asan_build)"
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
if [ ! -f "$asan_build/CMakeCache.txt" ]; then
    # -O1 keeps the build and the run fast while the reports still point at the right lines.
    cmake -S "$here" -B "$asan_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_COMPILER=g++ -DCMAKE_CXX_FLAGS="-O1 $sanitize" \
        -DCMAKE_EXE_LINKER_FLAGS="$sanitize" -DCMAKE_SHARED_LINKER_FLAGS="$sanitize" \
        -DTARNVALE_FUZZ=OFF -DTARNVALE_BUILD_BENCH=OFF
fi
if cmake --build "$asan_build" --parallel "$(nproc)"; then
    stage_done "sanitizer build"
    stage "sanitizer tests (ctest in $asan_build)"
    # Every finding ends the test binary with a failure: a leak, a bad access, undefined
    # behaviour. No suppressions are needed: the offscreen window tests leak nothing.
    (cd "$asan_build" &&
        ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1 \
            UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
            ctest --output-on-failure --timeout 600 -LE fuzz "${ctest_args[@]}") \
        2>&1 | tee "$asan_build/test-output.log"
    count_ctest "$asan_build/test-output.log" "sanitizer build"
    stage_done "sanitizer tests"
else
    fail "sanitizer build"
fi

# --- 3. the Debian package ----------------------------------------------------------------
stage "package (cpack -G DEB, apt-get install, validate, start)"
package_checks() {
    local app_id=org.tarnvale.Tarnvale deb depends p
    rm -f "$build"/tarnvale_*.deb
    if ! (cd "$build" && cpack -G DEB >"$build/cpack-output.log" 2>&1); then
        cat "$build/cpack-output.log"
        fail "cpack -G DEB"
        return
    fi
    deb=$(ls "$build"/tarnvale_*.deb)
    pass "cpack -G DEB built ${deb##*/}"

    depends=$(dpkg-deb -f "$deb" Depends)
    echo "Depends: $depends"
    local missing=()
    for p in libqt6core6 libqt6gui6 libqt6widgets6 libqt6charts6 libqt6printsupport6 \
        qt6-qpa-plugins fonts-liberation; do
        [[ ", $depends," == *", $p "* || ", $depends," == *", $p,"* ]] || missing+=("$p")
    done
    if ((${#missing[@]} == 0)); then
        pass "the package depends on the Qt runtime, the platform plugins and the fonts"
    else
        fail "the package does not depend on ${missing[*]}"
    fi

    # --reinstall: a package of the same version but other contents must replace the last one.
    if ! apt_get install -y -qq --reinstall --no-install-recommends "$deb"; then
        fail "apt-get install ${deb##*/}"
        return
    fi
    pass "apt-get installed ${deb##*/}"

    if desktop-file-validate /usr/share/applications/$app_id.desktop; then
        pass "desktop-file-validate"
    else
        fail "desktop-file-validate"
    fi
    if appstreamcli validate --no-net --strict /usr/share/metainfo/$app_id.metainfo.xml; then
        pass "appstreamcli validate"
    else
        fail "appstreamcli validate"
    fi

    # The icon both files name lies where the icon theme looks for it.
    local icon stock
    icon=$(sed -n 's/^Icon=//p' /usr/share/applications/$app_id.desktop)
    stock=$(sed -n 's:.*<icon type="stock">\(.*\)</icon>.*:\1:p' /usr/share/metainfo/$app_id.metainfo.xml)
    if [ -n "$icon" ] && [ "$icon" = "$stock" ] &&
        [ -s "/usr/share/icons/hicolor/scalable/apps/$icon.svg" ]; then
        pass "the icon $icon is installed"
    else
        fail "the icon named by the desktop entry ($icon) and the metainfo ($stock) is not installed"
    fi

    local example ok=1
    for example in "$here"/examples/*.txt "$here"/examples/*.csv; do
        [ "${example##*/}" != CMakeLists.txt ] || continue
        cmp -s "$example" "/usr/share/tarnvale/examples/${example##*/}" || ok=0
    done
    if ((ok)); then
        pass "the example life tables and stage matrices are installed"
    else
        fail "the examples are not all installed in /usr/share/tarnvale/examples"
    fi

    # The installed program, started as a desktop would (from /, without the build tree),
    # must show its first windows and keep running, and say nothing on its error output.
    local runtime out pid alive=0
    runtime=$(mktemp -d)
    out=$(mktemp)
    (cd / && exec env -u LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$runtime" \
        /usr/bin/tarnvale </dev/null >"$out" 2>&1) &
    pid=$!
    sleep 3
    kill -0 "$pid" 2>/dev/null && alive=1
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    if ((alive)) && [ ! -s "$out" ]; then
        pass "the installed tarnvale starts offscreen and keeps running"
    else
        ((alive)) || echo "the installed tarnvale ended within 3 s"
        cat "$out"
        fail "the installed tarnvale does not start cleanly"
    fi
    rm -rf "$runtime" "$out"

    if apt_get remove -y -qq tarnvale >/dev/null; then
        pass "apt-get removed tarnvale"
    else
        fail "apt-get remove tarnvale"
    fi
}
if ((normal_built)); then
    package_checks
else
    fail "package check (the normal build failed)"
fi
stage_done "package"

echo
if ((${#failures[@]})); then
    printf 'failed: %s\n' "${failures[@]}"
fi
echo "tests: $passed passed, $failed failed"
((failed == 0))
