#!/usr/bin/env bash
# Builds everything and runs the whole test suite: the optimised build, the
# same tests under AddressSanitizer and UndefinedBehaviorSanitizer (both
# suites replay every fuzz target on its seeds), and every fuzz target under
# libFuzzer for a short while (FUZZ_SECONDS, 30 by default).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
ctest --preset release -j"$(nproc)"

cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j"$(nproc)"
ctest --preset sanitize -j"$(nproc)"

bash scripts/run-fuzzers.sh "${FUZZ_SECONDS:-30}"
