#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that exactly the three
# programs and their manual pages are installed, and that the installed
# programs convert the sample DEM and Surfer 7 grid and describe the result.
# When dpkg-deb is there, does the same with the Debian package that cpack
# builds, after checking its name and dependencies.
#
# install_test.sh <source dir> <build dir> <cmake> <cpack>
set -euo pipefail

source_dir=$1
build_dir=$2
cmake=$3
cpack=$4

work=$(mktemp -d "${TMPDIR:-/tmp}/terrain_install_test.XXXXXX")
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Runs a command with its output in a log, shown only when the command fails.
run_logged() {
    local log=$work/command.log
    if ! "$@" >"$log" 2>&1; then
        cat "$log" >&2
        fail "$*"
    fi
}

# Every file under the tree $1 is one of the programs in $1/$2 or one of the
# manual pages (compressed or not) in $1/$3.
check_tree() {
    local root=$1 bin=$2 man=$3 count=0 file
    while IFS= read -r file; do
        case "$file" in
        "$bin"/taverlin | "$bin"/briskel | "$bin"/dtminfo) ;;
        "$man"/taverlin.1 | "$man"/briskel.1 | "$man"/dtminfo.1) ;;
        "$man"/taverlin.1.gz | "$man"/briskel.1.gz | "$man"/dtminfo.1.gz) ;;
        *) fail "unexpected file installed: $file" ;;
        esac
        count=$((count + 1))
    done < <(cd "$root" && find . -type f -printf '%P\n' | sort)
    [ "$count" -eq 6 ] || fail "$count files installed under $root instead of 6"
    for program in taverlin briskel dtminfo; do
        [ -x "$root/$bin/$program" ] || fail "$bin/$program is not an executable"
        compgen -G "$root/$man/$program.1*" >/dev/null || fail "no manual page for $program"
    done
}

# The programs in $1 convert the samples in the new folder $2; dtminfo reads
# one of the results.
run_programs() {
    local bin=$1 out=$2
    mkdir "$out"
    cd "$out"
    run_logged "$bin/taverlin" "$source_dir/samples/topobathy_utm10.dem" dem.dtm
    run_logged "$bin/briskel" "$source_dir/samples/topobathy_utm10_dsrb.grd" grid.dtm \
        m m /pm /em /sutm /z10
    [ "$(stat -c %s dem.dtm)" -eq 59900 ] || fail "$bin/taverlin wrote a DTM file of the wrong size"
    [ "$(stat -c %s grid.dtm)" -eq 119600 ] || fail "$bin/briskel wrote a DTM file of the wrong size"
    run_logged "$bin/dtminfo" grid.dtm
    cd "$work"
}

run_logged "$cmake" --install "$build_dir" --prefix "$work/prefix"
check_tree "$work/prefix" bin share/man/man1
run_programs "$work/prefix/bin" "$work/installed"

if ! command -v dpkg-deb >/dev/null 2>&1; then
    echo "dpkg-deb not found: Debian package not checked"
    exit 0
fi

(cd "$build_dir" && run_logged "$cpack" -G DEB -B "$work/package")
packages=("$work"/package/terrain-converters_*_"$(dpkg --print-architecture)".deb)
[ ${#packages[@]} -eq 1 ] && [ -f "${packages[0]}" ] ||
    fail "no single terrain-converters_<version>_<arch>.deb written by cpack"
deb=${packages[0]}

run_logged dpkg-deb -x "$deb" "$work/unpacked"
check_tree "$work/unpacked" usr/bin usr/share/man/man1

[ "$(dpkg-deb -f "$deb" Package)" = terrain-converters ] || fail "wrong package name"
depends=$(dpkg-deb -f "$deb" Depends)
for library in 'libc6' 'libstdc\+\+6' 'libpng16-16(t64)?'; do
    [[ ", $depends," =~ ,\ $library[\ ,] ]] || fail "Depends lacks $library: $depends"
done

run_programs "$work/unpacked/usr/bin" "$work/from_package"
