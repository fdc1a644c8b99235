#!/usr/bin/env bash
# Remakes docs/screenshot.png, the editor as the README shows it: builds the editor, then replays
# a session without a window that draws a small valley on a new canvas, saves it as valley.dtm
# and takes the screenshot. Scripted, so the picture can be made again whenever the screen
# changes.
#   docs/make_screenshot.sh [BUILD_FOLDER]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")

cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j "$(nproc)" --target duskmarch >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

frame=0
script="$work/session.replay"
: >"$script"
# Each step happens in a frame of its own.
step() {
    frame=$((frame + 1))
    printf 'frame %d\n%s\n' "$frame" "$1" >>"$script"
}
at() { echo "move $(($1 * 8 + 4)) $(($2 * 14 + 7))"; } # the middle of screen cell (x, y)
click() {                                              # X Y [BUTTON]: 1 left, 2 right
    step "$(at "$1" "$2")
button down ${3:-1}"
    step "button up ${3:-1}"
}
shifted() { # KEY_CODE
    step "key down 160
press $1"
    step "key up 160"
}
typed() { # TEXT, each character in a frame of its own
    local i
    for ((i = 0; i < ${#1}; i++)); do step "char $(printf '%d' "'${1:i:1}")"; done
}
enter() { step "press 13"; }
glyph() { click $(($1 % 16)) $((16 + $1 / 16)); }           # pick a glyph
colours() {                                                   # FG BG: pick both colours
    click $(($1 % 16)) $((36 + $1 / 16)) 1
    click $(($2 % 16)) $((36 + $2 / 16)) 2
}
draw() { # X Y...: canvas cells, the canvas's cell (0, 0) being at screen cell (24, 2)
    while [ $# -ge 2 ]; do
        click $((24 + $1)) $((2 + $2))
        shift 2
    done
}

# A new canvas of 60 x 30 cells, filled with grass.
step "$(at 100 40)"
shifted 78
shifted 82
typed 60 && enter
typed 30 && enter
enter
glyph 250 && colours 119 18
step "$(at 60 20)"
shifted 70

# A river from the top edge down to a lake, trees, hills, a walled house and a road.
glyph 247 && colours 14 10
draw 40 0 41 0 40 1 41 1 39 2 40 2 39 3 40 3 38 4 39 4 38 5 39 5 37 6 38 6 37 7 38 7 \
    37 8 38 8 38 9 39 9 38 10 39 10 39 11 40 11 39 12 40 12 40 13 41 13 40 14 41 14 \
    39 15 40 15 41 15 42 15 38 16 39 16 40 16 41 16 42 16 43 16 38 17 39 17 40 17 41 17 \
    42 17 43 17 44 17 39 18 40 18 41 18 42 18 43 18 40 19 41 19 42 19
glyph 5 && colours 4 18
draw 3 2 5 3 2 4 7 2 9 4 4 6 6 5 11 3 8 7 3 8 12 6 10 9 5 10 14 4 13 8 1 11 7 12 \
    16 2 15 7 2 13 9 13 44 23 46 24 48 22 50 25 52 23 47 27 54 26 45 26 56 24
glyph 6 && colours 114 18
draw 4 4 8 5 6 9 12 11 2 7 10 1 14 10 51 27 49 24 55 22
glyph 30 && colours 240 18
draw 47 2 49 1 51 3 53 2 55 4 50 5 57 3 48 6 54 7 52 8 56 9 45 4 58 6
glyph 30 && colours 7 18
draw 50 1 54 1 52 2 56 2 49 3 55 5 58 1
glyph 176 && colours 231 18
draw 17 16 18 16 19 17 20 17 21 17 22 18 23 18 24 18 25 18 26 19 27 19 28 19 29 19 30 20 \
    31 20 32 20 33 20 34 21 35 21 36 21 37 21 38 21
glyph 205 && colours 231 232
draw 39 21 40 21 41 21
glyph 176 && colours 231 18
draw 42 21 43 21 44 21 45 22 46 22
glyph 219 && colours 36 18
draw 10 14 11 14 12 14 13 14 14 14 15 14 16 14 10 15 10 16 10 17 10 18 16 15 16 17 16 18 \
    11 18 12 18 13 18 14 18 15 18
glyph 250 && colours 40 23
draw 11 15 12 15 13 15 14 15 15 15 11 16 12 16 13 16 14 16 15 16 11 17 12 17 13 17 14 17 \
    15 17 16 16
glyph 64 && colours 5 18
draw 30 19

# A sign typed in typing mode, in yellow on the grass.
colours 5 18
step "$(at 26 28)"
shifted 84
typed "Dusk Valley"
step "press 27"

# Saved as valley.dtm; then the flood fill's diagonal box ticked and a second, empty canvas,
# with the valley made active again, the mouse over the player.
step "$(at 100 40)
answer $work/valley.dtm
press 83"
enter
click 96 16
shifted 78
step "press 9"
step "$(at 54 21)"
step "screenshot $root/docs/screenshot.png"
step "end"

(cd "$work" && "$build/bin/duskmarch" --replay "$script" >/dev/null)
echo "wrote $root/docs/screenshot.png"
