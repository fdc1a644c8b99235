#!/usr/bin/env bash
# Makes the README's example of `dtmtool art`: the art benchmark's sample picture
# (art_before.png) and the map the command turns it into, rendered by `dtmtool export` with the
# shipped tileset and palette (art_after.png).
# usage: docs/make_art_example.sh [BUILD_FOLDER]      (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --build "$build" --target dtmtool bench_art >/dev/null
"$build/bin/bench_art" --write-picture 480 360 "$root/docs/art_before.png"
"$build/bin/dtmtool" art "$root/docs/art_before.png" "$work/art.dtm" --columns 60 >/dev/null
"$build/bin/dtmtool" export "$work/art.dtm" "$root/docs/art_after.png" --compression 9
