#!/usr/bin/env bash
# Checks a built package the way a Debian desktop sees it: its menu entry and metainfo validate,
# lintian finds no error, it installs with apt, runs, makes a new user's files where the README
# says (started from its menu entry's Exec line, empty HOME, under Xvfb), and removes cleanly,
# leaving that user's files. It installs and then removes the package on this machine.
# Usage: tools/check-package.sh tegata_<version>_amd64.deb
set -euo pipefail
deb="$(realpath "$1")"
id=jp.velmora.tegata
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

fail() { echo "check-package: $*" >&2; exit 1; }

echo "== lintian"
lintian --fail-on error --tag-display-limit 0 "$deb"

echo "== apt-get install"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "$deb" >/dev/null
desktop="/usr/share/applications/$id.desktop"
desktop-file-validate "$desktop"
appstreamcli validate --no-net "/usr/share/metainfo/$id.metainfo.xml"
for size in 16x16 32x32 48x48 64x64 128x128 256x256; do
  [ -f "/usr/share/icons/hicolor/$size/apps/$id.png" ] || fail "no $size icon"
done
[ -f "/usr/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"
[ -f /usr/share/tegata/Help/Help.html ] || fail "no manual in /usr/share/tegata/Help"
version="$(tegata --version)"
echo "$version"
[[ "$version" == "Velmoraの手形管理 (tegata) "* ]] || fail "tegata --version printed: $version"

echo "== first start of a new user"
home="$(mktemp -d)"
exec_line="$(sed -n 's/^Exec=//p' "$desktop")"
config="$home/.config/Velmora/tegata"
data="$home/.local/share/Velmora/tegata"
# A new user's first start, from another folder than the program's, under a display of its own.
(cd "$home" && env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 \
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    '"$exec_line"' >"$HOME/tegata.log" 2>&1 &
    program=$!
    for _ in $(seq 1 300); do
      [ -f "$HOME/.config/Velmora/tegata/pass.dat" ] && [ -f "$HOME/.config/Velmora/tegata/VMKolvam.ini" ] \
        && [ -d "$HOME/.local/share/Velmora/tegata" ] && break
      sleep 0.1
    done
    sleep 1
    kill -0 "$program" || { echo "the program ended at its start:"; cat "$HOME/tegata.log"; exit 1; }
    kill "$program"; wait "$program" || true')
[ -f "$config/pass.dat" ] || fail "no pass.dat in $config"
[ "$(stat -c %a "$config/pass.dat")" = 600 ] || fail "pass.dat is not mode 0600"
[ -f "$config/VMKolvam.ini" ] || fail "no settings file in $config"
[ -d "$data" ] || fail "no data folder $data"
[ "$(head -c "${#data}" "$config/VMKolvam.ini")" = "$data" ] || fail "the settings do not name $data"
for f in pass.dat VMKolvam.ini; do
  [ ! -e "/usr/bin/$f" ] || fail "$f was written beside the installed program"
done

echo "== apt-get remove"
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get remove -y -qq tegata >/dev/null
[ ! -e /usr/bin/tegata ] || fail "/usr/bin/tegata is still there"
[ ! -e /usr/share/tegata ] || fail "/usr/share/tegata is still there"
if dpkg-query -W -f='${Status}' tegata 2>/dev/null | grep -q installed; then
  fail "tegata is still installed"
fi
[ -f "$config/pass.dat" ] && [ -f "$config/VMKolvam.ini" ] && [ -d "$data" ] \
  || fail "removing the package took the user's files"
rm -rf "$home"
echo "check-package: all checks passed"
