#!/usr/bin/env bash
# Plays each session of EVENTS_FOLDER twice: headless through `duskmarch --replay`, then in the
# real window under Xvfb with real X input from xdotool, the file requester answered in zenity.
# Both runs read the same event list; the window must show the headless pictures and save the
# same map. What both runs saw and printed stays in OUTPUT_FOLDER.
# usage: editor_session.sh DUSKMARCH DTMTOOL EVENTS_FOLDER OUTPUT_FOLDER
set -euo pipefail

if [ "${1:-}" != --inside ]; then
    if ! command -v xvfb-run >/dev/null || ! command -v Xvfb >/dev/null; then
        echo "Xvfb is not installed: skipped"
        exit 77
    fi
    exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" --inside "$@"
fi
shift
duskmarch=$1 dtmtool=$2 events=$3 out=$4

hold=0.25    # a button or key is held over several of the editor's frames, each of which polls once
settle=0.15  # after every step
rm -rf "$out"
mkdir -p "$out/real" "$out/replay"

fail() {
    echo "FAILED: $*" >&2
    echo "The window's pictures and output are in $out/real, the headless ones in $out/replay." >&2
    exit 1
}

pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; true' EXIT

# The host's key code of an xdotool key name.
key_code() {
    case $1 in
    Escape) echo 27 ;;
    Return) echo 13 ;;
    [a-z]) printf '%d' "'${1^^}" ;;
    *) fail "no key code for $1" ;;
    esac
}

# Host mouse buttons are 1 left, 2 right, 3 middle; X numbers them 1 left, 2 middle, 3 right.
host_button() { case $1 in left) echo 1 ;; right) echo 2 ;; middle) echo 3 ;; esac; }
x_button() { case $1 in left) echo 1 ;; middle) echo 2 ;; right) echo 3 ;; esac; }

# Calls MODE_COMMAND ARGUMENTS... for each event of the list.
play() {
    local mode=$1 command args
    while read -r command args; do
        case $command in '' | '#'*) continue ;; esac
        # shellcheck disable=SC2086  # arguments are single words
        "${mode}_$command" $args
    done <"$2"
}

# The headless run: each event gets frames of its own; a held button or key stays down for two.
frame=1 key_frame=0
emit() { echo "$1 $2" >>"$script.lines"; }
replay_move() { emit $frame "move $(($1 * 8 + 4)) $(($2 * 14 + 7))"; frame=$((frame + 2)); }
replay_press() { emit $frame "button down $(host_button "$1")"; frame=$((frame + 2)); }
replay_release() { emit $frame "button up $(host_button "$1")"; frame=$((frame + 2)); }
replay_click() { replay_press "$1"; replay_release "$1"; }
replay_key() {
    key_frame=$frame
    emit $frame "key down $(key_code "$1")"
    emit $((frame + 2)) "key up $(key_code "$1")"
    frame=$((frame + 4))
}
replay_shift() { emit $frame "key $1 160"; frame=$((frame + 2)); }
replay_shifted() { replay_shift down; replay_key "$1"; replay_shift up; }
replay_type() {
    local text=$* i
    for ((i = 0; i < ${#text}; i++)); do
        emit $((frame++)) "char $(printf '%d' "'${text:i:1}")"
    done
}
# The requester is asked in the frame of the key that opened it.
replay_answer() { emit $key_frame "answer $out/replay/$1"; }
replay_capture() {
    frame=$((frame + 4))
    emit $frame "screenshot $out/replay/$1.png"
    frame=$((frame + 2))
}
replay_quits() { frame=$((frame + 4)); }

# The real run.
real_move() { xdotool mousemove --window "$window" $(($1 * 8 + 4)) $(($2 * 14 + 7)); sleep $hold; }
real_press() { xdotool mousedown "$(x_button "$1")"; sleep $hold; }
real_release() { xdotool mouseup "$(x_button "$1")"; sleep $settle; }
real_click() { real_press "$1"; real_release "$1"; }
real_key() { xdotool keydown "$1"; sleep $hold; xdotool keyup "$1"; sleep $settle; }
real_shift() { xdotool "key$1" Shift_L; sleep $hold; }
real_shifted() { real_shift down; real_key "$1"; real_shift up; }
real_type() { xdotool type --delay 80 "$*"; sleep $settle; }
# Without a window manager nothing gives the chooser the keyboard: it is given it, its field
# cleared (a save) or its location entry opened (an open), the path typed, and Return pressed.
choosers='^(Save Tilemap As|Open Tilemap)$'
real_answer() {
    local chooser
    chooser=$(timeout 60 xdotool search --sync --onlyvisible --name "$choosers" | head -1) ||
        fail "no file requester appeared for $1"
    xdotool windowfocus --sync "$chooser"
    sleep 0.5
    case $(xdotool getwindowname "$chooser") in Save*) xdotool key ctrl+a ;; *) xdotool key ctrl+l ;; esac
    xdotool type --delay 30 "$out/real/$1"
    xdotool key Return
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "$choosers" >/dev/null || break
        sleep 0.2
    done
    xdotool windowfocus --sync "$window"
    sleep $hold
}
# The window is read until it shows the headless picture, for as long as a slow machine needs.
real_capture() {
    local differing=""
    for _ in $(seq 60); do
        import -window "$window" "$out/real/$1.png"
        differing=$(compare -metric AE "$out/real/$1.png" "$out/replay/$1.png" \
            "$out/real/$1-difference.png" 2>&1 >/dev/null || true)
        [ "$differing" = 0 ] && return
        sleep 0.5
    done
    fail "the window at '$1' differs from the headless picture: $differing"
}
real_quits() {
    for _ in $(seq 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.2
    done
    kill -0 "$pid" 2>/dev/null && fail "the editor did not quit"
    local status=0
    wait "$pid" || status=$?
    pid=""
    [ $status = 0 ] || fail "the editor ended with status $status"
}

# session NAME [MAP]: the events of NAME.events, the map given relative to each run's folder.
session() {
    local name=$1 map=${2:-}
    script=$out/replay/$name.script
    frame=1
    : >"$script.lines"
    play replay "$events/$name.events"
    emit $((frame + 10)) end
    sort -s -n -k1,1 "$script.lines" |
        awk '{ print "frame " $1; sub(/^[0-9]+ /, ""); print }' >"$script"
    "$duskmarch" --replay "$script" ${map:+"$out/replay/$map"} >"$out/replay/$name.log" 2>&1 ||
        fail "the headless run of $name ended with status $?"

    "$duskmarch" ${map:+"$out/real/$map"} >"$out/real/$name.log" 2>&1 &
    pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Duskmarch$' | head -1) ||
        fail "no window for $name"
    xdotool windowfocus --sync "$window"
    play real "$events/$name.events"
}

session edit_save_reopen
# The saved map: the same file from both runs, and the cells the events made on a blank canvas.
cmp "$out/real/castle.dtm" "$out/replay/castle.dtm" || fail "the two runs saved different maps"
printf 'frame 1\nkey down 160\npress 78\nframe 2\nkey up 160\npress 83\nanswer %s\nframe 4\nend\n' \
    "$out/blank.dtm" >"$out/blank.script"
"$duskmarch" --replay "$out/blank.script" >"$out/blank.log"
"$dtmtool" diff "$out/blank.dtm" "$out/real/castle.dtm" >"$out/real/castle.cells" || true
diff "$events/edit_save_reopen.cells" "$out/real/castle.cells" || fail "the saved cells differ"

cp "$out/real/castle.dtm" "$out/saved.dtm"
session quit_unsaved castle.dtm
cmp "$out/saved.dtm" "$out/real/castle.dtm" || fail "quitting without saving changed the file"
echo "passed"
