#!/usr/bin/env bash
# Installs what is missing, builds, installs the program into a portable folder (default
# ~/tegata) and starts it there. Usage: tools/run.sh [FOLDER]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
target="${1:-$HOME/tegata}"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "tegata: no display found (DISPLAY is not set); start it from a desktop session or under Xvfb." >&2
  exit 1
fi

"$root/tools/install-deps.sh"
build="$root/build-release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTEGATA_TESTS=OFF -DTEGATA_BENCH=OFF
cmake --build "$build" --parallel
mkdir -p "$target"
cmake --install "$build" --prefix "$target" >/dev/null

cd "$target"
# The first user file; an existing one is never touched.
if [ ! -e pass.dat ]; then
  ./tegata-userfile pass.dat
fi
exec ./tegata
