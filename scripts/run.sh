#!/usr/bin/env bash
# Installs what is missing, builds, and starts velk on the simulated board.
# The program gets a profile of its own (in the build tree) whose COM1 is the
# simulator, so the user's own profile is left alone.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target velk velk-sim

demo="$PWD/build/demo"
mkdir -p "$demo/config"
link="$demo/ttyVELK"
rm -f "$link"
# The simulator runs with its target hue drifting, so the chart's marker moves.
./build/velk-sim --link "$link" --target 0.8,0.35,0.2 --drift 6 >"$demo/sim.out" &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
[ -e "$link" ] || { echo "the simulated board did not start" >&2; exit 1; }
echo "simulated board listening on $(head -n 1 "$demo/sim.out") (also $link)"

cat >"$demo/config/velk.INI" <<INI
[Device]
Port=COM1

[Ports]
; COM1 is the simulated board; press 通信開始(S) (Connect) to see its readings.
COM1=$link
INI

export XDG_CONFIG_HOME="$demo/config"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "no display: running velk under xvfb-run (nothing to see; set DISPLAY to use a real screen)"
  xvfb-run -a ./build/velk
else
  ./build/velk
fi
