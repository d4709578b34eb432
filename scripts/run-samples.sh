#!/usr/bin/env bash
# Builds what `cmake --install build/release` installs, the three programs and,
# when GDAL is found, the GDAL plugin (nothing else of the release build: no
# tests, no benchmark helpers), converts the shipped sample DEMs and Surfer grids into
# out/, and describes each DTM file with dtminfo, with a picture (out/*.png;
# the README shows these).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh installable
mkdir -p out
cd out
../build/release/dem_import/taverlin ../samples/topobathy_utm10.dem topobathy_utm10.dtm
# Geographic: X and Y in arc-seconds (unit code 3, not a valid code), so their unit
# comes from /P; the elevations' valid code (meters) is kept.
../build/release/dem_import/taverlin ../samples/topobathy_geographic.dem topobathy_geographic.dtm /PM
for layout in dsaa dsbb dsrb; do
    ../build/release/grid_import/briskel "../samples/topobathy_utm10_$layout.grd" \
        "topobathy_utm10_$layout.dtm" m m /pm /em /sutm /z10
done
for dtm in topobathy_utm10 topobathy_geographic topobathy_utm10_dsaa topobathy_utm10_dsbb topobathy_utm10_dsrb; do
    ../build/release/dtm_info/dtminfo "$dtm.dtm" "/I$dtm.png" /W600
done
echo "Written in out/:"
ls -l ./*.dtm ./*.HDR ./*.png
