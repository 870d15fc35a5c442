#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything (warnings are errors), runs
# every test, then builds the Debian package and checks it (this installs and removes it).
# Non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/install-deps.sh"
# The print tests print for real to a cups-pdf printer.
"$root/tools/install-printer.sh"
"$root/tools/check-format.sh"
build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" --parallel
(cd "$build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)")
# The Debian package: built, checked, installed, started once and removed again.
packages="$(mktemp -d)"
"$root/tools/package.sh" "$packages"
"$root/tools/check-package.sh" "$packages"/tegata_*.deb
rm -rf "$packages"
