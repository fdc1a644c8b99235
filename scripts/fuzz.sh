#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz, writes their seeds, and runs each target
# for SECONDS (all targets, or those named), as many side by side as there are processors
# (FUZZ_JOBS=N to choose), each fuzzer working on one. New inputs go to
# build-fuzz/fuzz-corpus/TARGET and crashing inputs to build-fuzz/fuzz-crashes/TARGET; the tree
# is never written. Fails when a target finds a crash, a leak, a timeout or runs out of memory.
#
#   scripts/fuzz.sh SECONDS [TARGET...]
set -euo pipefail
if [ $# -lt 1 ] || ! [[ $1 =~ ^[0-9]+$ ]] || [ "$1" -eq 0 ]; then
    echo "usage: $0 SECONDS [TARGET...]" >&2
    exit 2
fi
seconds=$1
shift
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
jobs=$(nproc)

# A folder made for fuzzing is left as it is (the build brings it up to date), so that
# scripts/test.sh can run its tests while the fuzz targets run.
if ! grep -qs '^DUSKMARCH_FUZZ:BOOL=ON$' "$build/CMakeCache.txt"; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DDUSKMARCH_FUZZ=ON \
        -DDUSKMARCH_BENCHMARKS=OFF >/dev/null
fi
cmake --build "$build" -j "$jobs" --target duskmarch_fuzzers

seeds="$build/fuzz-seeds"
rm -rf "$seeds"
"$build/bin/seedgen" "$seeds"

targets=()
declare -A seedFolders dictionaries
while read -r name seedList dict; do
    targets+=("$name")
    seedFolders[$name]=$seedList
    dictionaries[$name]=$dict
done <"$build/fuzz/fuzz_targets.txt"

selected=("$@")
[ ${#selected[@]} -eq 0 ] && selected=("${targets[@]}")
for name in "${selected[@]}"; do
    if [ -z "${seedFolders[$name]+set}" ]; then
        echo "fuzz.sh: no target $name; there are: ${targets[*]}" >&2
        exit 2
    fi
done

# A single input that takes longer than this is a hang, whatever the run's length.
timeout=$((seconds < 30 ? seconds : 30))
fuzzJobs=${FUZZ_JOBS:-$jobs}
[[ $fuzzJobs =~ ^[1-9][0-9]*$ ]] || fuzzJobs=1

# Runs one target to its end and leaves its exit status beside its log.
run_target() {
    local name=$1 corpus="$build/fuzz-corpus/$1" crashes="$build/fuzz-crashes/$1"
    local log="$build/fuzz-logs/$1.log" status=0 kinds kind
    mkdir -p "$corpus" "$crashes" "$(dirname "$log")"
    local args=(-max_total_time="$seconds" -timeout="$timeout" -print_final_stats=1
        -artifact_prefix="$crashes/")
    [ "${dictionaries[$name]}" != "-" ] && args+=(-dict="${dictionaries[$name]}")
    local folders=("$corpus")
    if [ "${seedFolders[$name]}" != "-" ]; then
        IFS=, read -r -a kinds <<<"${seedFolders[$name]}"
        for kind in "${kinds[@]}"; do folders+=("$seeds/$kind"); done
    fi
    "$build/bin/$name" "${args[@]}" "${folders[@]}" >"$log" 2>&1 || status=$?
    echo "$status" >"$log.status"
}

running=0
for name in "${selected[@]}"; do
    if [ "$running" -ge "$fuzzJobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
    echo "== $name: ${seconds}s"
    rm -f "$build/fuzz-logs/$name.log.status"
    run_target "$name" &
    running=$((running + 1))
done
wait

failed=()
summary=()
for name in "${selected[@]}"; do
    log="$build/fuzz-logs/$name.log"
    status=$(cat "$log.status" 2>/dev/null || echo 1)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    edges=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    features=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    summary+=("$(printf '%-22s %10s %8s %9s %s' "$name" "${runs:-?}" "${edges:-?}" \
        "${features:-?}" "$([ "$status" -eq 0 ] && echo ok || echo FAILED)")")
    if [ "$status" -ne 0 ]; then
        failed+=("$name")
        tail -n 60 "$log"
        echo "== $name failed; the input is in $build/fuzz-crashes/$name, the whole log in $log"
    fi
done

printf '%-22s %10s %8s %9s %s\n' target executions edges features result
printf '%s\n' "${summary[@]}"
echo "fuzz: $((${#selected[@]} - ${#failed[@]})) passed, ${#failed[@]} failed"
if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz.sh: crashes found by ${failed[*]}" >&2
    exit 1
fi
