#!/usr/bin/env bash
# Start-up time (process start to the main window shown) with no previous list and with a 100 000-row
# list, and the CPU the idle main window uses in 10 s. Run after a build: bench/startup.sh [build folder]
set -euo pipefail
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PELLUM_HOME=$work/home XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
mkdir -p "$PELLUM_HOME" "$XDG_CONFIG_HOME"

startup() {  # prints the best of five runs, in seconds
  local best=999
  for _ in 1 2 3 4 5; do
    local t0 t1
    t0=$(date +%s.%N)
    PELLUM_QUIT_WHEN_SHOWN=1 "$build/pellum" >/dev/null 2>&1
    t1=$(date +%s.%N)
    best=$(echo "$t1 - $t0" | bc -l | awk -v b="$best" '{ print ($1 < b) ? $1 : b }')
  done
  echo "$best"
}

rm -f "$PELLUM_HOME/afore.pellum"
echo "start-up, no previous list:      $(startup) s"
for i in $(seq 0 99999); do printf '/home/user/Music/Album %d/%d - a song title.mp3\r\n' $((i / 12)) "$i"; done \
  > "$PELLUM_HOME/afore.pellum"
echo "start-up, 100 000-row list:      $(startup) s"

rm -f "$PELLUM_HOME/afore.pellum"
"$build/pellum" >/dev/null 2>&1 &
pid=$!
sleep 2
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
before=$(ticks)
sleep 10
after=$(ticks)
kill "$pid"
hz=$(getconf CLK_TCK)
echo "idle CPU over 10 s:              $(echo "($after - $before) / $hz / 10 * 100" | bc -l | cut -c1-5) % of a core"
