#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need, or only the packages
# named as arguments; skips what is there.
set -euo pipefail

packages=("$@")
if [ ${#packages[@]} -eq 0 ]; then
  packages=(
    build-essential cmake ninja-build pkg-config clang-format git
    qt6-base-dev qt6-translations-l10n libqt6printsupport6 qt6-qpa-plugins
    libxxhash-dev libcups2-dev
    libgtest-dev googletest libbenchmark-dev
    fonts-ipafont-gothic
    xvfb xauth imagemagick poppler-utils xdg-utils
    dpkg-dev desktop-file-utils appstream lintian
  )
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
