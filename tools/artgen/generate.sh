#!/usr/bin/env bash
# Regenerates the default tileset sheets and palette in data/image/: installs the console font
# package when its font is missing, builds the generator, and runs it.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
font=/usr/share/consolefonts/Uni2-VGA14.psf.gz
build=${ARTGEN_BUILD_DIR:-$root/build-artgen}

"$root/scripts/install-deps.sh"
if [ ! -f "$font" ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends \
        console-setup-linux
fi

cmake -S "$root" -B "$build" -DDUSKMARCH_BENCHMARKS=OFF
cmake --build "$build" -j "$(nproc)" --target artgen
mkdir -p "$root/data/image"
"$build/bin/artgen" "$font" "$root/data/image"
