#!/usr/bin/env bash
# Converts and describes the samples and the fuzz seeds with the Linux build
# and with the Windows build under Wine, each in a folder of its own holding
# the same input, and compares: exit status, standard output and every file
# written. DTM files and pictures must be identical byte for byte; text (the
# console, .HDR reports, the batch log) identical once CR LF is read as LF.
#
#   bash scripts/compare-windows.sh [LINUX_BUILD] [WINDOWS_BUILD]
set -uo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
linux=${1:-build/release}
windows=${2:-build/windows}
export WINEDEBUG=-all
wineserver -p >/dev/null 2>&1 || true
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
runs=0
files=0
differences=0

# One run: the input file, then the program and its arguments (the program
# as a build-relative path without .exe).
compare() {
    local input=$1 program=$2
    shift 2
    runs=$((runs + 1))
    local name
    name=$(basename "$input")
    rm -rf "$work/l" "$work/w"
    mkdir -p "$work/l" "$work/w"
    cp "$input" "$work/l/$name"
    cp "$input" "$work/w/$name"
    (cd "$work/l" && "$repo/$linux/$program" "$@" >stdout 2>stderr </dev/null; echo $? >status)
    (cd "$work/w" && wine "$repo/$windows/$program.exe" "$@" >stdout 2>stderr </dev/null
        echo $? >status)
    for file in "$work/l"/*; do
        local base
        base=$(basename "$file")
        [ "$base" = stderr ] && continue
        local other="$work/w/$base"
        [ -e "$other" ] || other=$(find "$work/w" -maxdepth 1 -iname "$base" | head -1)
        if [ -z "$other" ] || [ ! -e "$other" ]; then
            echo "DIFFERS: $program $* ($name): $base only on Linux"
            differences=$((differences + 1))
            continue
        fi
        files=$((files + 1))
        case "$base" in
        *.dtm | *.DTM | *.png | "$name") cmp -s "$file" "$other" ;;
        *) cmp -s "$file" <(sed 's/\r$//' "$other") ;;
        esac || {
            echo "DIFFERS: $program $* ($name): $base"
            differences=$((differences + 1))
        }
    done
}

for dem in samples/*.dem fuzz/corpus/dem/*; do
    compare "$dem" dem_import/taverlin "$(basename "$dem")" out.dtm /PM /S
done
for grid in samples/*.grd fuzz/corpus/surfer_grid/*; do
    compare "$grid" grid_import/briskel "$(basename "$grid")" out.dtm m m /pm /em /sutm /z10
done
for dtm in fuzz/corpus/dtm_file/*; do
    compare "$dtm" dtm_info/dtminfo "$(basename "$dtm")" /Ipicture.png /W200
done
# The DTM files of the samples, described and drawn.
mkdir -p "$work/dtm"
for dem in samples/*.dem; do
    (cd "$work/dtm" && "$repo/$linux/dem_import/taverlin" "$repo/$dem" "$(basename "$dem" .dem).dtm" /PM /Q >/dev/null)
done
for dtm in "$work"/dtm/*.dtm; do
    compare "$dtm" dtm_info/dtminfo "$(basename "$dtm")" /Ipicture.png /W300
    compare "$dtm" dtm_info/dtminfo "$(basename "$dtm")" /J
done
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
        echo "DIFFERS: $* on a full disk: status $status, output: $out"
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
            echo "DIFFERS: interrupted at $size bytes: status $status," \
                "DTM $( [ -e "$work/int/tall.dtm" ] && echo kept || echo removed)," \
                "report $( [ -s "$work/int/tall.HDR" ] && echo kept || echo missing)"
            differences=$((differences + 1))
        fi
        return
    done
    echo "Note: the interruption run ended before the signal three times; not counted"
}
interrupted

echo "Linux and Windows builds compared: $runs runs, $files files, $differences differences"
[ "$differences" -eq 0 ]
