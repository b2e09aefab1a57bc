#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a
# while, starting from its committed seed corpus. Prints a few lines a
# target; the whole of each run's output is in fuzz-out/TARGET/log.txt, and
# what makes a target fail lands in fuzz-out/TARGET/crashes/.
# Exits non-zero when a target fails (a crash, a sanitizer report, a broken
# invariant) or leaves a file in its crashes folder.
# usage: tools/fuzz.sh [SECONDS_PER_TARGET]   (default 600)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
seconds=${1:-600}

install_packages "${BUILD_PACKAGES[@]}" clang libclang-rt-dev

quietly build/fuzz-build.log configure_and_build fuzz
# "TARGET CORPUS" a line, as the build names them.
mapfile -t fuzz_targets <build/fuzz/fuzz/targets.txt
if [ ${#fuzz_targets[@]} -eq 0 ]; then
    echo "build/fuzz/fuzz/targets.txt names no fuzz target" >&2
    exit 1
fi

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
# Files in a crashes folder older than this run are not this run's.
started=$(mktemp)
trap 'rm -f "$started"' EXIT

failed=()
for line in "${fuzz_targets[@]}"; do
    read -r target corpus <<<"$line"
    work=fuzz-out/$target
    mkdir -p "$work/corpus" "$work/crashes"
    echo "==== fuzz_$target for ${seconds}s"
    status=0
    ./build/fuzz/fuzz/fuzz_"$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$work/crashes/" "$work/corpus" "fuzz/corpus/$corpus" \
        </dev/null >"$work/log.txt" 2>&1 || status=$?
    grep -E "^Done [0-9]+ runs|^==[0-9]+== *ERROR|^SUMMARY|^invariant failed|deadly signal" \
        "$work/log.txt" || true
    new_files=$(find "$work/crashes" -type f -newer "$started" | wc -l)
    if [ "$status" -ne 0 ] || [ "$new_files" -gt 0 ]; then
        echo "fuzz_$target FAILED: exit status $status, $new_files new file(s) in $work/crashes" >&2
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "failed: ${failed[*]} (logs in fuzz-out/TARGET/log.txt)" >&2
    exit 1
fi
echo "all ${#fuzz_targets[@]} fuzz targets ran ${seconds}s without a failure"
