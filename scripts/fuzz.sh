#!/usr/bin/env bash
# A long fuzz run, for a deeper search than the bounded runs of the test suite: before a release,
# after a change to a reader or a parser, or overnight. Every target is fuzz/<name>_fuzz.cpp with
# its seeds in fuzz/corpus/<name> and, where there is one, its dictionary fuzz/<name>.dict.
#
#   scripts/fuzz.sh                      every target, 10 minutes each
#   scripts/fuzz.sh --minutes 60 lifetable
#   scripts/fuzz.sh --minutes 30 matrixfile
#
# The targets: lifetable (the life-table reader), numbertext (the number texts), matrix (the
# --matrix text and the analyses), matrixfile (the matrix file reader and writer), compadre (the
# reader of COMPADRE's and COMADRE's flat files), whatif (--vary, --break-even and --ltre).
#
# The inputs found are kept in build/fuzz/corpus-<name> (the test suite's bounded runs start from
# them too); a crash, a leak, a timeout or a failed check is saved in build/fuzz/findings/ and
# reported with the command that replays it. Exits 1 when anything was found.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${TARNVALE_BUILD_DIR:-$here/build}
fuzz_dir=$build/fuzz

usage() {
    echo "usage: scripts/fuzz.sh [--minutes N] [TARGET]" >&2
    echo "targets: $(cd "$here/fuzz" && ls ./*_fuzz.cpp | sed 's:^\./::; s/_fuzz\.cpp$//' | tr '\n' ' ')" >&2
    exit 2
}

minutes=10
targets=()
while (($#)); do
    case $1 in
    --minutes)
        [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || usage
        minutes=$2
        shift
        ;;
    -h | --help) usage ;;
    -*) usage ;;
    *) targets+=("$1") ;;
    esac
    shift
done
((${#targets[@]} <= 1)) || usage
if ((${#targets[@]} == 0)); then
    for source in "$here"/fuzz/*_fuzz.cpp; do
        name=${source##*/}
        targets+=("${name%_fuzz.cpp}")
    done
fi
for name in "${targets[@]}"; do
    [ -f "$here/fuzz/${name}_fuzz.cpp" ] || { echo "no fuzz target '$name'" >&2; usage; }
done

# The main build builds the fuzzers (with clang) when it can; setup.sh installs what is missing.
"$here/scripts/setup.sh" || exit 1
mkdir -p "$fuzz_dir/findings"

found=0
for name in "${targets[@]}"; do
    binary=$fuzz_dir/${name}_fuzz
    if [ ! -x "$binary" ]; then
        echo "$binary was not built (is clang with libFuzzer installed, and TARNVALE_FUZZ on?)" >&2
        exit 1
    fi
    corpus=$fuzz_dir/corpus-$name
    mkdir -p "$corpus"
    dict=()
    [ -f "$here/fuzz/$name.dict" ] && dict=(-dict="$here/fuzz/$name.dict")
    before=$(ls "$fuzz_dir/findings" | wc -l)

    echo "=== $name: $minutes min, corpus $corpus"
    # -fork keeps fuzzing after a finding, so one long run can report several.
    "$binary" -max_total_time=$((minutes * 60)) -print_final_stats=1 -timeout=10 \
        -rss_limit_mb=2048 -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
        -artifact_prefix="$fuzz_dir/findings/$name-" "${dict[@]}" \
        "$corpus" "$here/fuzz/corpus/$name" 2>&1 | tee "$fuzz_dir/$name-long.log" |
        grep --line-buffered -E '^#[0-9]+: |==[0-9]+==ERROR|Test unit written|INFO: exiting'

    # In fork mode each status line counts the executions of all jobs so far.
    runs=$(grep -Eo '^#[0-9]+:' "$fuzz_dir/$name-long.log" | tail -n 1 | tr -d '#:')
    echo "$name: $runs executions in $minutes min; $(ls "$corpus" | wc -l) inputs in the corpus"
    if (($(ls "$fuzz_dir/findings" | wc -l) > before)); then
        found=1
        echo "$name found something; replay each with:"
        for finding in $(ls -t "$fuzz_dir/findings" | grep "^$name-" | head -n 20); do
            echo "  $binary $fuzz_dir/findings/$finding"
        done
    fi
done
exit $found
