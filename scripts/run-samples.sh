#!/usr/bin/env bash
# Builds the converters and converts the shipped sample files into out/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
mkdir -p out
cd out
../build/release/dem_import/taverlin ../samples/topobathy_utm10.dem topobathy_utm10.dtm
echo "Written in out/:"
ls -l topobathy_utm10.dtm topobathy_utm10.HDR
