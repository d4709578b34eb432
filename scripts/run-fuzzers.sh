#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang) and runs each of them
# for the given number of seconds, starting from the seed corpus in
# fuzz/corpus/ and from what earlier runs found.
#
#   bash scripts/run-fuzzers.sh [seconds per target] [target...]
#
# Environment: FUZZ_JOBS targets run side by side (default 2); FUZZ_WORK_DIR
# keeps the growing corpora, logs and any crash inputs (default build/fuzz-work).
# Prints one line a target: its executions and "no findings", or "FINDING:"
# and what it found. Fails when a target reports a crash, a leak, a timeout
# or memory beyond the limit; the input that caused it is kept under
# FUZZ_WORK_DIR/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(dem_header_fuzzer dem_profile_fuzzer surfer_grid_fuzzer number_scan_fuzzer
             dtm_file_fuzzer round_trip_fuzzer)
fi

bash scripts/install-deps.sh fuzz
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j"$(nproc)" --target "${targets[@]}"

work=${FUZZ_WORK_DIR:-build/fuzz-work}
# Each input is written to a file first; in memory that costs little.
if [ -z "${TMPDIR:-}" ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
mkdir -p "$work/artifacts" "$work/logs"

# Inputs up to a few records of a DEM, or a few hundred grid nodes.
max_length() {
    case $1 in
    dem_* | round_trip_*) echo 8192 ;;
    *) echo 4096 ;;
    esac
}

# The same mapping gives the replay test cases their folders (fuzz/CMakeLists.txt).
seed_folder() {
    case $1 in
    dem_*) echo fuzz/corpus/dem ;;
    *) echo "fuzz/corpus/${1%_fuzzer}" ;;
    esac
}

run_one() {
    local target=$1
    local corpus="$work/corpus/$target"
    local log="$work/logs/$target.log"
    mkdir -p "$corpus"
    if build/fuzz/fuzz/"$target" "$corpus" "$(seed_folder "$target")" \
        -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=1024 \
        -max_len="$(max_length "$target")" \
        -print_final_stats=1 -artifact_prefix="$work/artifacts/$target-" >"$log" 2>&1; then
        local executions corpus_size
        executions=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}')
        corpus_size=$(find "$corpus" -type f | wc -l)
        echo "$target: ${executions:-0} executions in ${seconds} s, no findings (corpus $corpus_size inputs)"
    else
        local finding
        finding=$(grep -m1 -oE 'ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer): [a-z-]+' "$log" ||
            grep -m1 -oE 'runtime error: .{0,60}' "$log" || echo "a failure")
        echo "$target: FINDING: ${finding#ERROR: }; see $log and $work/artifacts/"
        grep -E 'SUMMARY|Test unit written' "$log" | head -3
        return 1
    fi
}
export -f run_one seed_folder max_length
export work seconds

printf '%s\n' "${targets[@]}" | xargs -P "${FUZZ_JOBS:-2}" -I{} bash -c 'run_one {}'
