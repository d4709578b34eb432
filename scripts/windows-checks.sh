#!/usr/bin/env bash
# What only Windows programs can be asked under Wine, beside the runs that
# scripts/compare-builds.py --windows compares with the Linux build: a full
# disk, and Ctrl-C while a DTM is written. Ends with one line
# "Windows checks: N runs, N failed".
#
#   bash scripts/windows-checks.sh [WINDOWS_BUILD]
set -uo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
windows=${1:-build/windows}
export WINEDEBUG=-all
bash scripts/start-wine.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=0
differences=0
mkdir -p "$work/dtm"
wine "$repo/$windows/dem_import/taverlin.exe" "$repo/samples/topobathy_utm10.dem" \
    "$work/dtm/topobathy_utm10.dtm" /Q >/dev/null 2>&1 </dev/null

# A full disk, as Wine offers one (Z:\dev\full): each program fails with its
# error line and status 1, and the device is left as it is.
full_disk() {
    local expected=$1
    shift
    runs=$((runs + 1))
    local out status
    out=$(cd "$work/dtm" && wine "$@" </dev/null 2>/dev/null)
    status=$?
    if [ "$status" -ne 1 ] || ! grep -qF "$expected" <<<"$out" || [ ! -c /dev/full ]; then
        echo "FAILED: $* on a full disk: status $status, output: $out"
        differences=$((differences + 1))
    fi
}
full_disk "ERROR: Cannot write DTM file: z:\dev\full" \
    "$repo/$windows/dem_import/taverlin.exe" "$repo/samples/topobathy_utm10.dem" 'Z:\dev\full' /S
full_disk "ERROR: Could not write destination dtm file: z:\dev\full" \
    "$repo/$windows/grid_import/briskel.exe" "$repo/samples/topobathy_utm10_dsbb.grd" 'Z:\dev\full' m m
full_disk "ERROR: Cannot write picture file: Z:\dev\full" \
    "$repo/$windows/dtm_info/dtminfo.exe" topobathy_utm10.dtm '/IZ:\dev\full'

# Ctrl-C (SIGINT to Wine arrives as CTRL_C_EVENT) while a DTM of about
# 100 MB is written, from the sample DEM with its first profile moved far
# north: the run ends with 0xC000013A (58 under Wine), the DTM is removed,
# the complete report stays. A run that ends before the signal comes is
# tried again; none of three interrupted in time is said, not counted.
interrupted() {
    mkdir -p "$work/int"
    python3 - "$repo/samples/topobathy_utm10.dem" "$work/int/tall.dem" <<'PATCH'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
data[1024 + 48:1024 + 72] = b"   0.380000000000000D+09"  # 250000 rows further north
open(sys.argv[2], "wb").write(data)
PATCH
    for attempt in 1 2 3; do
        rm -f "$work/int/tall.dtm" "$work/int/tall.HDR"
        (cd "$work/int" && wine "$repo/$windows/dem_import/taverlin.exe" tall.dem tall.dtm /S \
            >/dev/null 2>&1 </dev/null; echo $? >status) &
        local runner=$! size=0
        for _ in $(seq 3000); do
            size=$(stat -c %s "$work/int/tall.dtm" 2>/dev/null || echo 0)
            [ "$size" -gt 1000000 ] && break
            sleep 0.01
        done
        pkill -INT -f "taverlin.exe tall.dem" || true
        wait "$runner"
        local status
        status=$(cat "$work/int/status")
        [ "$status" = 0 ] && continue # finished before the signal came
        runs=$((runs + 1))
        if [ "$status" != 58 ] || [ -e "$work/int/tall.dtm" ] || [ ! -s "$work/int/tall.HDR" ]; then
            echo "FAILED: interrupted at $size bytes: status $status," \
                "DTM $( [ -e "$work/int/tall.dtm" ] && echo kept || echo removed)," \
                "report $( [ -s "$work/int/tall.HDR" ] && echo kept || echo missing)"
            differences=$((differences + 1))
        fi
        return
    done
    echo "Note: the interruption run ended before the signal three times; not counted"
}
interrupted

echo "Windows checks: $runs runs, $differences failed"
[ "$differences" -eq 0 ]
