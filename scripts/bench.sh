#!/usr/bin/env bash
# Builds the project, runs every benchmark program and measures the editor's processor use while
# idle, all under Xvfb with Mesa's software OpenGL, and writes the main figures as one table to
# bench/RESULTS.md. With BENCH_BASELINE set to the duskmarch program of an earlier build (kept
# with its data/ and dmdata/ beside it), its idle processor use is measured too, for comparison.
# usage: [BENCH_BASELINE=OLD/duskmarch] scripts/bench.sh [BUILD_FOLDER]      (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
bin=$build/bin
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DDUSKMARCH_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j 2

# run PROGRAM COMMAND... keeps the JSON report of a benchmark program, one key per line;
# figure PROGRAM NAME KEY picks one value out of it.
run() {
    local program=$1
    shift
    "$@" --benchmark_format=json >"$out/$program.json" 2>/dev/null ||
        echo "$program failed; its figures show as ?" >&2
}
figure() {
    awk -v name="$2" -v key="\"$3\":" '
        { gsub(/[",]/, "", $2) }
        $1 == "\"name\":" { current = $2 }
        current == name && $1 == key { print $2; found = 1; exit }
        END { if (!found) print "?" }' "$out/$1.json"
}
# A figure the run did not produce shows as "?", not as a made-up 0.
rounded() { if [ "$1" = "?" ]; then printf '?'; else printf "%.${2}f" "$1"; fi; }
ms() { printf '%s ms' "$(rounded "$(figure "$@" real_time)" 2)"; }
number() { rounded "$(figure "$1" "$2" "$3")" "${4:-2}"; }
# export_name CELLS KIND PLAIN names an export benchmark (kind 0 drawing, 1 random cells;
# plain 1 when the plain libpng encode is measured too).
export_name() {
    local iterations=3
    [ "$1" -ge 1024 ] && iterations=1
    echo "BM_ExportPNG/kind:$2/cells:$1/plain:$3/iterations:$iterations/manual_time"
}

echo "Running every benchmark, then the editor idle for 25 seconds on each path."
export LIBGL_ALWAYS_SOFTWARE=1
for program in "$bin"/bench_*; do
    run "$(basename "$program")" xvfb-run -a -s "-screen 0 1920x1080x24" "$program"
done
idle=$(bash "$root/scripts/idle_cpu.sh" "$bin/duskmarch" 10)
idle_gl=$(DUSKMARCH_RENDERER=opengl bash "$root/scripts/idle_cpu.sh" "$bin/duskmarch" 10)
baseline=""
if [ -n "${BENCH_BASELINE:-}" ]; then
    baseline=$(bash "$root/scripts/idle_cpu.sh" "$BENCH_BASELINE" 10)
fi
# idle_row WHERE TITLE: the idle figures at WHERE (canvas or away) of each run.
idle_row() {
    local after before=""
    after="$(awk -v at="$1" '$1 == at { print $2 }' <<<"$idle") % of one core"
    after+=" (OpenGL path $(awk -v at="$1" '$1 == at { print $2 }' <<<"$idle_gl") %)"
    if [ -n "$baseline" ]; then
        before="; the earlier build: $(awk -v at="$1" '$1 == at { print $2 }' <<<"$baseline") %"
    fi
    row "$2" "$after$before"
}

frame=bench_frame gl=BM_EditorOpenGlSubmit/real_time container=bench_container
build_type=$(awk -F= '/^CMAKE_BUILD_TYPE:/ { print $2 }' "$build/CMakeCache.txt")
row() { echo "| $1 | $2 |"; }
{
    echo "# Benchmark results"
    echo
    echo "Written by \`scripts/bench.sh\` on $(date -u +%Y-%m-%d): $(nproc) cores of" \
        "$(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo), load average" \
        "$(cut -d' ' -f1 /proc/loadavg) at the end, build type ${build_type:-RelWithDebInfo}." \
        "OpenGL is Mesa's llvmpipe under Xvfb, so drawing runs on the processor too."
    echo
    row what figure
    row --- ---
    row "editor frame with tables and help shown: loop, input, recording" \
        "$(ms $frame BM_EditorFrame), $(number $frame BM_EditorFrame commands 0) drawing commands"
    row "same frame drawn by the software rasteriser" "$(ms $frame BM_EditorSoftwareSubmit)"
    row "same frame submitted to OpenGL and shown" \
        "$(ms $frame $gl); draw calls per frame: $(number $frame $gl draw_calls 0)"
    row "same frame drawn whole by the software rasteriser and shown through SDL" \
        "$(ms $frame BM_EditorSoftwarePresent/real_time)"
    row "stroke across a 64 x 64 canvas, one cell a frame: present, OpenGL path" \
        "$(ms $frame BM_StrokeOpenGl/manual_time) a frame"
    row "same stroke, software path (only the changed tiles redrawn and uploaded)" \
        "$(ms $frame BM_StrokeSoftware/manual_time) a frame; $(number $frame \
            BM_StrokeSoftware/manual_time pixels_redrawn 0) pixels redrawn a frame"
    idle_row canvas "editor idle, mouse over the canvas (paced at 60 Hz)"
    idle_row away "editor idle, mouse away from every active region (50 ms sleep a frame)"
    row "flood fill of 1024 x 1024" "$(ms bench_model BM_FloodFillWholeMap)"
    row "flood fill of a 32 x 32 region of a 4096 x 4096 map" \
        "$(ms bench_model BM_FloodFillSmallRegionOfLargestMap)"
    for kind in drawing random_cells one_tile; do
        for op in Save Read; do
            name=BM_$op/$kind/manual_time
            floor="plain libpng $([ $op = Save ] && echo encode || echo decode)"
            floor+=" $(number $container "$name" floor_ms) ms"
            row "${op,,} of 1024 x 1024, ${kind/_/ }" \
                "$(ms $container "$name"); $floor, ratio $(number $container "$name" ratio)"
        done
    done
    # On one thread the processor time tells what the work costs even on a busy machine.
    codec() { echo "$(ms bench_codec "$1"), processor $(number bench_codec "$1" cpu_time 0) ms"; }
    row "scrambled encode of 1024 x 1024" "$(codec BM_EncodeScrambled)"
    row "scrambled decode of 1024 x 1024" "$(codec BM_DecodeScrambled)"
    row "shuffling the 1048576 positions of a scrambled 1024 x 1024 picture" \
        "$(codec BM_MixVectorList)"
    # exported KEY DIGITS: one figure of the export benchmark $name, or ? when it did not run.
    exported() { rounded "$(figure bench_export "$name" "$1")" "$2"; }
    peak=0
    for cells in 256 512 1024; do
        for kind in 0 1; do
            name=$(export_name "$cells" "$kind" 1)
            label="export of $cells x $cells cells ($((cells * 8)) x $((cells * 14)) pixels)"
            label+=", $([ "$kind" = 0 ] && echo drawing || echo random cells)"
            [ "$cells" = 1024 ] && label+=" (goal: under $([ "$kind" = 0 ] && echo 1 || echo 3.5) s)"
            text="$(ms bench_export "$name"), processor $(exported cpu_ms 0) ms"
            text+="; plain libpng level 8 $(exported plain_ms 0) ms,"
            text+=" processor $(exported plain_cpu_ms 0) ms"
            text+="; time ratio $(exported time_ratio 3), size ratio $(exported size_ratio 3)"
            row "$label" "$text"
            peak=$(awk -v a="$peak" -v b="$(figure bench_export "$name" peak_added_MiB)" \
                'BEGIN { print (b != "?" && b + 0 > a + 0) ? b : a }')
        done
    done
    name=$(export_name 4096 0 0)
    row "export of 4096 x 4096 cells (32768 x 57344 pixels), drawing" \
        "$(ms bench_export "$name"), processor $(exported cpu_ms 0) ms"
    row "most memory an export above added (goal: under 64 MB)" "$(rounded "$peak" 1) MiB"
    fills=BM_HundredFullCanvasFills/iterations:3
    row "undo history of 100 fills of a whole 1024 x 1024 canvas, the first over noise" \
        "$(number bench_undo $fills history_MiB 1) MiB (goal: within 64), $(number bench_undo \
        $fills steps 0) steps kept; $(ms bench_undo $fills) to note them"
    row "undo and redo of that first fill" "$(ms bench_undo BM_UndoRedoFullCanvasStep)"
    row "the history's look at an unchanged 1024 x 1024 canvas, every frame" \
        "$(ms bench_undo BM_NoteUnchangedLargestCanvas)"
    for kind in 0:drawing 1:random; do
        share=BM_AutosaveFrameShare/${kind%%:*}/iterations:30
        write=BM_AutosaveWorkerWrite/${kind%%:*}/iterations:10
        row "autosave of a changed 1024 x 1024 canvas, ${kind#*:}: the frame's share" \
            "$(ms bench_autosave "$share") of a $(number bench_autosave "$share" frame_ms 1) ms frame"
        row "same autosave, the worker's write of the recovery file" \
            "$(ms bench_autosave "$write"); $(number bench_autosave "$write" file_MiB 1) MiB"
    done
    for set in 0:all 1:blocks 2:ascii; do
        art=BM_PictureArt/glyphs:${set%%:*}
        figures="$(ms bench_art "$art/threads:0/real_time") on every core,"
        figures+=" $(ms bench_art "$art/threads:1/real_time") on one;"
        figures+=" PSNR $(number bench_art "$art/threads:0/real_time" psnr_db) dB"
        row "picture of 1600 x 1200 into a map of 200 columns, glyphs ${set#*:}" "$figures"
    done
} >"$root/bench/RESULTS.md"
cat "$root/bench/RESULTS.md"
