#!/usr/bin/env bash
# Installs what is missing, builds the editor and starts it; arguments go to the editor
# (a map file to open, or --replay SCRIPT).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" > /dev/null
cmake --build "$root/build" -j "$(nproc)" --target duskmarch
exec "$root/build/bin/duskmarch" "$@"
