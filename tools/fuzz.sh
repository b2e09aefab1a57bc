#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a
# while, starting from the committed seed corpus.
# usage: tools/fuzz.sh [SECONDS_PER_TARGET]   (default 600)
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
seconds=${1:-600}

install_packages "${BUILD_PACKAGES[@]}" clang libclang-rt-dev

configure_and_build build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DNIMBAL_FUZZ=ON \
    -DNIMBAL_BUILD_TESTS=OFF -DNIMBAL_BUILD_EXTRAS=OFF -- fuzz_receiver fuzz_parameterline

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for target in receiver parameterline; do
    work=fuzz-out/$target
    mkdir -p "$work/corpus" "$work/crashes"
    echo "==== fuzz_$target for ${seconds}s"
    ./build-fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$work/crashes/" "$work/corpus" fuzz/corpus/$target 2>&1 |
        tee "$work/log.txt" | grep -E "^(#[0-9]+ +DONE|stat::|==|SUMMARY|invariant)" || true
done
