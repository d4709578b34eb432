#!/usr/bin/env bash
# Configures and builds the optimised preset: everything, or the targets
# named.
#
#   bash scripts/build.sh [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release >/dev/null
if [ $# -gt 0 ]; then
    cmake --build --preset release -j"$(nproc)" --target "$@"
else
    cmake --build --preset release -j"$(nproc)"
fi
