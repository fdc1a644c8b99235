#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: once built by gcc with warnings
# as errors, once more built by clang with warnings as errors under AddressSanitizer and
# UndefinedBehaviorSanitizer; then runs each fuzz target for a minute.
#
# The second build is the clang tree the fuzz targets are built in (build-fuzz), so the libraries
# compile once for both. On a machine of few processors the steps overlap where one leaves them
# idle: the tests mostly wait (on the virtual X server, on programs they start, on timers), so
# while the first build's tests run, the second build compiles at low priority; the fuzz targets
# then run side by side, one per processor, while the second build's tests run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
logs="$root/build-logs"

"$root/scripts/install-deps.sh"
rm -rf "$logs"
mkdir -p "$logs"

# The warnings build carries no debug information: nothing here reads it.
cmake -S "$root" -B "$root/build" -DDUSKMARCH_WERROR=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" >/dev/null
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -DDUSKMARCH_WERROR=ON \
    -DDUSKMARCH_SANITIZE=ON -DDUSKMARCH_FUZZ=ON -DDUSKMARCH_BENCHMARKS=OFF >/dev/null
cmake --build "$root/build" -j "$jobs"

echo "== tests, while the sanitizer build compiles (output in $logs/build-fuzz.log)"
nice -n 19 cmake --build "$root/build-fuzz" -j "$jobs" >"$logs/build-fuzz.log" 2>&1 &
build=$!
tests=0
(cd "$root/build" && ctest --output-on-failure -j "$jobs") || tests=$?
built=0
wait "$build" || built=$?
if [ "$built" -ne 0 ]; then
    tail -n 80 "$logs/build-fuzz.log"
    echo "test.sh: the sanitizer build failed; its whole output is in $logs/build-fuzz.log" >&2
fi
if [ "$built" -ne 0 ] || [ "$tests" -ne 0 ]; then
    exit 1
fi

echo "== sanitizer tests, while the fuzz targets run (output in $logs/fuzz.log)"
nice -n 5 "$root/scripts/fuzz.sh" 60 >"$logs/fuzz.log" 2>&1 &
fuzz=$!
tests=0
(cd "$root/build-fuzz" && ctest --output-on-failure -j "$jobs") || tests=$?
fuzzing=0
wait "$fuzz" || fuzzing=$?
if [ "$fuzzing" -eq 0 ]; then
    tail -n 12 "$logs/fuzz.log"
else
    cat "$logs/fuzz.log"
    echo "test.sh: fuzzing failed" >&2
fi
if [ "$fuzzing" -ne 0 ] || [ "$tests" -ne 0 ]; then
    exit 1
fi
