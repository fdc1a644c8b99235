#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test twice: once with warnings as errors,
# once more under AddressSanitizer and UndefinedBehaviorSanitizer; then runs each fuzz target for a
# minute.
#
# On a machine of few processors the steps overlap where one leaves them idle: the tests mostly
# wait (on the virtual X server, on programs they start, on timers), so while the first build's
# tests run, the fuzz targets and the sanitizer build compile at low priority; the fuzz targets
# then run side by side, one per processor, while the sanitizer build's tests run ahead of them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
logs="$root/build-logs"

"$root/scripts/install-deps.sh"
rm -rf "$logs"
mkdir -p "$logs"

# PID LOG WHAT TEST_STATUS: waits for a background step, then fails when it or the tests that ran
# beside it failed, showing the end of the step's output when it did.
finish() {
    local status=0
    wait "$1" || status=$?
    if [ "$status" -ne 0 ]; then
        tail -n 80 "$2"
        echo "test.sh: $3 failed; its whole output is in $2" >&2
    fi
    [ "$status" -eq 0 ] && [ "$4" -eq 0 ] || exit 1
}

# The warnings build carries no debug information: nothing here reads it.
cmake -S "$root" -B "$root/build" -DDUSKMARCH_WERROR=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" >/dev/null
cmake -S "$root" -B "$root/build-sanitize" -DDUSKMARCH_WERROR=ON -DDUSKMARCH_SANITIZE=ON \
    -DDUSKMARCH_BENCHMARKS=OFF >/dev/null
cmake --build "$root/build" -j "$jobs"

echo "== tests, while the fuzz targets and the sanitizer build compile (output in $logs)"
nice -n 19 bash -c "'$root/scripts/fuzz.sh' 0 && cmake --build '$root/build-sanitize' -j $jobs" \
    >"$logs/builds.log" 2>&1 &
builds=$!
tests=0
(cd "$root/build" && ctest --output-on-failure -j "$jobs") || tests=$?
finish "$builds" "$logs/builds.log" "building the fuzz targets or the sanitizer build" "$tests"

echo "== sanitizer tests, while the fuzz targets run (output in $logs/fuzz.log)"
nice -n 5 "$root/scripts/fuzz.sh" 60 >"$logs/fuzz.log" 2>&1 &
fuzz=$!
tests=0
(cd "$root/build-sanitize" && ctest --output-on-failure -j "$jobs") || tests=$?
fuzzing=0
wait "$fuzz" || fuzzing=$?
if [ "$fuzzing" -eq 0 ]; then
    tail -n 12 "$logs/fuzz.log"
else
    cat "$logs/fuzz.log"
    echo "test.sh: fuzzing failed" >&2
fi
[ "$fuzzing" -eq 0 ] && [ "$tests" -eq 0 ]
