#!/usr/bin/env bash
# Builds the Debian package tegata_<version>_amd64.deb (Release, with Debian's hardening flags)
# and puts it in the current folder, or in FOLDER. Usage: tools/package.sh [FOLDER]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$(cd "${1:-.}" && pwd)"
"$root/tools/install-deps.sh"
build="$root/build-deb"

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
export CXXFLAGS="$CXXFLAGS $CPPFLAGS"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTEGATA_TESTS=OFF \
  -DTEGATA_BENCH=OFF -DTEGATA_SYSTEM_LAYOUT=ON -DCMAKE_INSTALL_PREFIX=/usr
cmake --build "$build" --parallel
rm -f "$build"/tegata_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
cp "$build"/tegata_*.deb "$out/"
ls "$out"/tegata_*.deb
