#!/usr/bin/env bash
# Builds everything and runs the whole test suite in four phases, each under
# a heading: the optimised build and its tests, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer (both suites replay every
# fuzz target on its seeds), every fuzz target under libFuzzer for a short
# while (FUZZ_SECONDS, 30 by default), and the Windows programs cross-built
# and compared with the Linux ones under Wine. A phase that fails does not stop the
# next one; the summary at the end gives each phase's counts, and the script
# fails when anything failed. Each phase's output is also kept in
# build/test-logs/.
set -uo pipefail
cd "$(dirname "$0")/.."
logs=build/test-logs
mkdir -p "$logs"

total_passed=0
total_failed=0
summary=()

heading() {
    printf '\n%s\n== %s\n%s\n\n' "$(printf '=%.0s' {1..72})" "$1" "$(printf '=%.0s' {1..72})"
}

# Runs the command with its output shown and kept in the log $1.
run_logged() {
    local log=$1
    shift
    "$@" 2>&1 | tee "$log"
    return "${PIPESTATUS[0]}"
}

# A build and its CTest run: label, log name, build command..., --, ctest preset.
ctest_phase() {
    local label=$1 name=$2 preset=$3
    shift 3
    heading "$label"
    if ! run_logged "$logs/$name-build.log" "$@"; then
        summary+=("$(printf '%-27s build FAILED (%s)' "$label:" "$logs/$name-build.log")")
        total_failed=$((total_failed + 1))
        return
    fi
    run_logged "$logs/$name-tests.log" ctest --preset "$preset" -j"$(nproc)"
    local line failed total
    line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$logs/$name-tests.log" | tail -1)
    if [ -z "$line" ]; then
        summary+=("$(printf '%-27s tests did not run (%s)' "$label:" "$logs/$name-tests.log")")
        total_failed=$((total_failed + 1))
        return
    fi
    failed=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    summary+=("$(printf '%-27s %d passed, %d failed' "$label:" $((total - failed)) "$failed")")
    total_passed=$((total_passed + total - failed))
    total_failed=$((total_failed + failed))
}

build_sanitize() {
    cmake --preset sanitize >/dev/null && cmake --build --preset sanitize -j"$(nproc)"
}

ctest_phase "Optimised build and tests" release release bash scripts/build.sh
ctest_phase "Sanitizer build and tests" sanitize sanitize build_sanitize

heading "Fuzzing, ${FUZZ_SECONDS:-30} s a target"
run_logged "$logs/fuzz.log" bash scripts/run-fuzzers.sh "${FUZZ_SECONDS:-30}"
fuzz_status=$?
targets_line() { grep -E '^[a-z_]+_fuzzer: ' "$logs/fuzz.log"; }
fuzz_passed=$(targets_line | grep -c 'no findings')
fuzz_failed=$(targets_line | grep -c 'FINDING')
if [ "$fuzz_status" -ne 0 ] && [ "$fuzz_failed" -eq 0 ]; then
    fuzz_failed=1 # the fuzz build or the runner itself failed
fi
executions=$(targets_line | grep -oE '[0-9]+ executions' | awk '{sum += $1} END {print sum + 0}')
summary+=("$(printf '%-27s %d targets without findings, %d with, %d executions' "Fuzzing:" \
    "$fuzz_passed" "$fuzz_failed" "$executions")")
while IFS= read -r line; do
    summary+=("  $line")
done < <(targets_line)
total_passed=$((total_passed + fuzz_passed))
total_failed=$((total_failed + fuzz_failed))

# The Windows programs, cross-built and run under Wine: the unit tests, the
# imports (system DLLs only), the zip, a full disk and Ctrl-C, and what the
# Linux programs give on the samples, the fuzz seeds and every run of the
# black-box tests whose setup Windows can have (compare-builds.py --windows).
export WINEDEBUG=-all
windows_build() {
    bash scripts/install-deps.sh windows && bash scripts/start-wine.sh &&
        cmake --preset windows >/dev/null && cmake --build --preset windows -j"$(nproc)"
}
windows_checks() {
    bash scripts/check-windows-imports.sh build/windows/*/*.exe &&
        (cd build/windows && rm -f ./*.zip && cpack -G ZIP >/dev/null) &&
        python3 - build/windows/terrain-converters-*-win64.zip <<'CHECK' &&
import sys, zipfile
names = sorted(n.split("/", 1)[1] for n in zipfile.ZipFile(sys.argv[1]).namelist())
print(sys.argv[1].rsplit("/", 1)[1] + ":", " ".join(names))
expected = [p + e for p in ("briskel", "dtminfo", "taverlin") for e in (".exe", ".html")]
sys.exit(names != sorted(expected + ["LICENSE", "README.md"]))
CHECK
        bash scripts/windows-checks.sh build/windows &&
        python3 scripts/compare-builds.py --old build/release --new build/windows --windows \
            --record --timeout 120
}
ctest_phase "Windows build and tests under Wine" windows windows windows_build
run_logged "$logs/windows-compare.log" windows_checks
windows_status=$?
# The Windows checks, and the runs compared with the Linux build.
log=$logs/windows-compare.log
checks=$(sed -nE 's/^Windows checks: ([0-9]+) runs, ([0-9]+) failed$/\1 \2/p' "$log")
compared=$(sed -nE 's/^Runs compared: ([0-9]+)$/\1/p' "$log")
if [ -z "$checks" ] || [ -z "$compared" ]; then
    summary+=("$(printf '%-27s a check or the comparison FAILED (%s)' "Windows against Linux:" "$log")")
    total_failed=$((total_failed + 1))
else
    read -r check_runs check_failed <<<"$checks"
    differing=$(sed -nE 's/^Differences in ([0-9]+) .*/\1/p' "$log" | awk '{s += $1} END {print s + 0}')
    runs=$((check_runs + compared))
    failed=$((check_failed + differing))
    summary+=("$(printf '%-27s %d passed, %d failed (runs compared with the Linux build, and checks)' \
        "Windows against Linux:" $((runs - failed)) "$failed")")
    total_passed=$((total_passed + runs - failed))
    total_failed=$((total_failed + failed))
    if [ "$windows_status" -ne 0 ] && [ "$failed" -eq 0 ]; then
        total_failed=$((total_failed + 1))
    fi
fi

heading "Summary"
printf '%s\n' "${summary[@]}"
echo
echo "$total_passed passed, $total_failed failed"
[ "$total_failed" -eq 0 ]
