#!/usr/bin/env bash
# Prints the editor's own processor use while nobody touches it, in percent of one core, from the
# process's processor time in /proc over SECONDS (default 10): first with the mouse over a canvas,
# where the loop runs paced at 60 frames a second, then away from every active region, where each
# frame also sleeps 50 ms. The editor runs in a virtual X server of its own with Mesa's software
# OpenGL; DUSKMARCH_RENDERER in the environment picks how it presents its frames.
# usage: [DUSKMARCH_RENDERER=opengl|software] idle_cpu.sh DUSKMARCH [SECONDS]
set -euo pipefail

if [ "${1:-}" != --inside ]; then
    exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" --inside "$@"
fi
shift
duskmarch=$1 seconds=${2:-10}

LIBGL_ALWAYS_SOFTWARE=1 "$duskmarch" >/dev/null 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Duskmarch$' | head -1)
xdotool windowfocus --sync "$window"
# Shift+N opens a 16 x 16 canvas at screen cell (24, 2); a cell is 8 x 14 pixels.
xdotool keydown Shift_L sleep 0.3 keydown n sleep 0.3 keyup n sleep 0.3 keyup Shift_L

# User and system time of every thread of the process, in clock ticks.
ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }

# Percent of one core at the centre of screen cell (X, Y).
measure() {
    xdotool mousemove --window "$window" $(($1 * 8 + 4)) $(($2 * 14 + 7))
    sleep 1
    local ticks0 ns0 ticks1 ns1
    ticks0=$(ticks) ns0=$(date +%s%N)
    sleep "$seconds"
    ticks1=$(ticks) ns1=$(date +%s%N)
    awk -v ticks=$((ticks1 - ticks0)) -v hz="$(getconf CLK_TCK)" -v ns=$((ns1 - ns0)) \
        'BEGIN { printf "%.1f\n", 100 * ticks / hz / (ns / 1e9) }'
}

echo "canvas $(measure 30 8)"
echo "away $(measure 60 50)"
