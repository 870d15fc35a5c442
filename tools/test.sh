#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything (warnings are errors) and
# runs every test. Non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/install-deps.sh"
# The print tests print for real to a cups-pdf printer.
"$root/tools/install-printer.sh"
"$root/tools/check-format.sh"
build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --parallel
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
