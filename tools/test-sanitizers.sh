#!/usr/bin/env bash
# Builds everything once more in Debug with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan (benchmarks off) and runs every test there. Non-zero on any failure, and on the first
# sanitizer report: undefined behaviour is fatal here, not a line in the log.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/install-deps.sh"
"$root/tools/install-printer.sh"
build="$root/build-asan"
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTEGATA_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$sanitize" \
  -DCMAKE_EXE_LINKER_FLAGS="$sanitize" -DCMAKE_SHARED_LINKER_FLAGS="$sanitize"
cmake --build "$build" --parallel "$(nproc)"
cd "$build"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_OPTIONS:+:}abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-}${UBSAN_OPTIONS:+:}halt_on_error=1:print_stacktrace=1"
ctest --output-on-failure --parallel "$(nproc)"
