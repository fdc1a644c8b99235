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
    for kind in drawing random_cells one_tile; do
        for op in Save Read; do
            name=BM_$op/$kind/manual_time
            floor="plain libpng $([ $op = Save ] && echo encode || echo decode)"
            floor+=" $(number $container "$name" floor_ms) ms"
            row "${op,,} of 1024 x 1024, ${kind/_/ }" \
                "$(ms $container "$name"); $floor, ratio $(number $container "$name" ratio)"
        done
    done
    row "scrambled encode of 1024 x 1024" "$(ms bench_codec BM_EncodeScrambled)"
    row "scrambled decode of 1024 x 1024" "$(ms bench_codec BM_DecodeScrambled)"
    row "export of 256 x 256 cells (2048 x 3584 pixels)" \
        "$(ms bench_export BM_ExportPNG/256/manual_time)"
} >"$root/bench/RESULTS.md"
cat "$root/bench/RESULTS.md"
