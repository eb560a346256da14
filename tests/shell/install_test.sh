#!/bin/bash
# cmake --install into a temporary prefix: the two programs, the desktop entry
# and the icon files land where a desktop looks for them, and the installed
# velk starts (offscreen, on a profile of its own), ends on SIGTERM with exit
# status 0 and keeps its port choice.
# Usage: install_test.sh CMAKE BUILD_DIR
set -u
cmake=$1
build=$2
tmp=$(mktemp -d "${TMPDIR:-/tmp}/velk-install-test.XXXXXX") || exit 1
pid=
cleanup() {
  [ -n "$pid" ] && kill -KILL "$pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$tmp/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 || { cat "$tmp/install.log"; fail "cmake --install"; }

for f in bin/velk bin/velk-sim; do
  [ -x "$prefix/$f" ] || fail "$f is not an installed program"
done
desktop=$prefix/share/applications/velk.desktop
[ -f "$desktop" ] || fail "no desktop entry"
for line in '[Desktop Entry]' 'Type=Application' 'Exec=velk' 'Icon=velk' 'Name=VELK Color Sensor Evaluation Board' \
            'Terminal=false'; do
  grep -qxF "$line" "$desktop" || fail "desktop entry lacks '$line'"
done
grep -qE '^Categories=([^;]+;)+$' "$desktop" || fail "desktop entry: Categories must end with ';'"

# A PNG of the given size: the signature, then the IHDR chunk's width and height.
check_png() {
  local file=$1 size=$2
  [ -f "$file" ] || fail "no $file"
  local head
  head=$(od -An -tx1 -N24 "$file" | tr -d ' \n')
  [ "${head:0:16}" = 89504e470d0a1a0a ] || fail "$file is not a PNG"
  [ $((16#${head:32:8})) -eq "$size" ] && [ $((16#${head:40:8})) -eq "$size" ] || fail "$file is not ${size}x${size}"
}
check_png "$prefix/share/icons/hicolor/16x16/apps/velk.png" 16
check_png "$prefix/share/icons/hicolor/48x48/apps/velk.png" 48

# The installed program runs: it is up once it has taken SIGTERM over (its
# handler closes the window as the close box does), then asked to end.
config=$tmp/config
mkdir -p "$config"
printf '[Device]\nPort=com7\n' >"$config/velk.INI"
env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$config" QT_QPA_PLATFORM=offscreen \
  "$prefix/bin/velk" >"$tmp/velk.log" 2>&1 &
pid=$!
caught() { # SIGTERM (15) in the caught-signal mask
  local mask
  mask=$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || return 1
  [ -n "$mask" ] && (( (16#$mask >> 14) & 1 ))
}
for _ in $(seq 1 200); do
  caught && break
  kill -0 "$pid" 2>/dev/null || { cat "$tmp/velk.log"; fail "velk ended by itself"; }
  sleep 0.05
done
caught || fail "velk did not come up"
kill -TERM "$pid"
for _ in $(seq 1 200); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$pid" 2>/dev/null && fail "velk did not end on SIGTERM"
wait "$pid"
status=$?
pid=
[ "$status" -eq 0 ] || { cat "$tmp/velk.log"; fail "exit status $status"; }
grep -qE '^Port=COM7$' "$config/velk.INI" || { cat "$config/velk.INI"; fail "the port was not kept"; }
echo "installed and ran: $prefix"
