#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: once with warnings as errors,
# once more under AddressSanitizer and UndefinedBehaviorSanitizer; then runs each fuzz target for a
# minute.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

"$root/scripts/install-deps.sh"

cmake -S "$root" -B "$root/build" -DDUSKMARCH_WERROR=ON
cmake --build "$root/build" -j "$jobs"
(cd "$root/build" && ctest --output-on-failure -j "$jobs")

cmake -S "$root" -B "$root/build-sanitize" -DDUSKMARCH_WERROR=ON -DDUSKMARCH_SANITIZE=ON \
    -DDUSKMARCH_BENCHMARKS=OFF
cmake --build "$root/build-sanitize" -j "$jobs"
(cd "$root/build-sanitize" && ctest --output-on-failure -j "$jobs")

"$root/scripts/fuzz.sh" 60
