#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that exactly the three
# programs, their manual pages and the package's copyright and changelog are
# installed, and that the installed programs convert the sample DEM and
# Surfer 7 grid and describe the result; when the GDAL plugin is built, that
# it is installed with its manual page alone in its component, that an
# installation outside GDAL's plugin folder ends with one line giving the
# GDAL_DRIVER_PATH with which GDAL loads it, and that one into GDAL's folder
# says nothing of the kind.
# When dpkg-deb is there, does the same with the Debian packages that cpack
# builds, after checking their names and dependencies, and has lintian
# check them when it is there.
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

# Every file under the tree $1 is one of the programs in $1/$2, one of the
# manual pages (compressed or not) in $1/$3, or the copyright or changelog of
# the package.
check_tree() {
    local root=$1 bin=$2 man=$3 count=0 file
    local doc=share/doc/terrain-converters
    while IFS= read -r file; do
        case "$file" in
        "$bin"/taverlin | "$bin"/briskel | "$bin"/dtminfo) ;;
        "$man"/taverlin.1 | "$man"/briskel.1 | "$man"/dtminfo.1) ;;
        "$man"/taverlin.1.gz | "$man"/briskel.1.gz | "$man"/dtminfo.1.gz) ;;
        "$doc"/copyright | usr/"$doc"/copyright) ;;
        "$doc"/changelog.Debian.gz | usr/"$doc"/changelog.Debian.gz) ;;
        *) fail "unexpected file installed: $file" ;;
        esac
        count=$((count + 1))
    done < <(cd "$root" && find . -type f -printf '%P\n' | sort)
    [ "$count" -eq 8 ] || fail "$count files installed under $root instead of 8"
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

# The GDAL plugin's tree $1 holds the plugin, its manual page, copyright and
# changelog; GDAL loads the plugin with GDAL_DRIVER_PATH $2 (by default the
# plugin's folder) and knows the driver.
check_plugin_tree() {
    local root=$1 driver_path=${2:-} count plugin doc
    doc=$(cd "$root" && find . -type d -path '*share/doc/terrain-converters-gdal' -printf '%P\n')
    [ -n "$doc" ] && [ -f "$root/$doc/copyright" ] && [ -f "$root/$doc/changelog.Debian.gz" ] ||
        fail "no copyright and changelog for the GDAL plugin under $root"
    plugin=$(cd "$root" && find . -name gdal_VORDADTM.so -printf '%P\n')
    [ -n "$plugin" ] && [[ "$plugin" == */gdalplugins/gdal_VORDADTM.so ]] ||
        fail "gdal_VORDADTM.so is not in a gdalplugins folder under $root"
    [ -n "$(cd "$root" && find . -path '*share/man/man7/gdal_vordadtm.7*')" ] ||
        fail "no manual page gdal_vordadtm.7 in the GDAL plugin's tree $root"
    count=$(cd "$root" && find . -type f | wc -l)
    [ "$count" -eq 4 ] || fail "$count files in the GDAL plugin's tree $root instead of 4"
    # A plugin built with the sanitizers loads only into programs built with
    # them, which gdalinfo is not.
    if [[ "$(ldd "$root/$plugin")" == *libasan* ]]; then
        return
    fi
    GDAL_DRIVER_PATH=${driver_path:-$(dirname "$root/$plugin")} run_logged gdalinfo --format VORDADTM
}

# The packages cpack builds: the tools, and the GDAL plugin when it is built.
with_plugin=false
grep -q '"gdal_driver"\|;gdal_driver' "$build_dir/CPackConfig.cmake" && with_plugin=true

run_logged "$cmake" --install "$build_dir" --prefix "$work/prefix" --component tools
check_tree "$work/prefix" bin share/man/man1
run_programs "$work/prefix/bin" "$work/installed"
if $with_plugin; then
    "$cmake" --install "$build_dir" --prefix "$work/plugin" --component gdal_driver \
        >"$work/plugin.log" 2>&1 || { cat "$work/plugin.log" >&2 && fail "plugin not installed"; }
    notice=$(grep GDAL_DRIVER_PATH= "$work/plugin.log") || true
    [ "$(wc -l <<<"$notice")" -eq 1 ] && [ -n "$notice" ] ||
        fail "not one line with GDAL_DRIVER_PATH= in the installation's output:"$'\n'"$(cat "$work/plugin.log")"
    check_plugin_tree "$work/plugin" "${notice##*GDAL_DRIVER_PATH=}"
    # Staged for GDAL's own prefix (as a package is), the plugin is where GDAL
    # looks, and the installation says nothing of GDAL_DRIVER_PATH.
    cache=$build_dir/CMakeCache.txt
    searched=$(sed -n 's/^TERRAIN_GDAL_SEARCHED_PLUGIN_DIR:INTERNAL=//p' "$cache")
    relative=$(sed -n 's/^TERRAIN_GDAL_PLUGIN_DIR:[A-Z]*=//p' "$cache")
    if [[ "$searched" == */"$relative" ]]; then
        DESTDIR=$work/staged run_logged "$cmake" --install "$build_dir" \
            --prefix "${searched%/"$relative"}" --component gdal_driver
        [ -f "$work/staged$searched/gdal_VORDADTM.so" ] || fail "the plugin is not in $searched"
        ! grep -q GDAL_DRIVER_PATH "$work/command.log" ||
            fail "installed where GDAL looks, yet: $(grep GDAL_DRIVER_PATH "$work/command.log")"
    fi
fi

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

[[ "$depends" != *gdal* ]] || fail "the tools' package depends on GDAL: $depends"
[[ "$(dpkg-deb -f "$deb" Maintainer)" == *no-reply@* ]] || fail "Maintainer is not a no-reply address"
run_programs "$work/unpacked/usr/bin" "$work/from_package"
checked=("$deb")

if $with_plugin; then
    plugin_debs=("$work"/package/terrain-converters-gdal_*_"$(dpkg --print-architecture)".deb)
    [ -f "${plugin_debs[0]}" ] || fail "no terrain-converters-gdal package written by cpack"
    run_logged dpkg-deb -x "${plugin_debs[0]}" "$work/plugin_unpacked"
    check_plugin_tree "$work/plugin_unpacked"
    [[ "$(dpkg-deb -f "${plugin_debs[0]}" Depends)" == *libgdal* ]] ||
        fail "the GDAL plugin's package does not depend on GDAL"
    checked+=("${plugin_debs[0]}")
fi

# lintian, Debian's package checker, finds no error (warnings are shown).
if command -v lintian >/dev/null 2>&1; then
    for package in "${checked[@]}"; do
        report=$(lintian "$package" 2>&1) || true
        [ -z "$report" ] || echo "$report"
        ! grep -q '^E: ' <<<"$report" || fail "lintian reports errors in $(basename "$package")"
    done
else
    echo "lintian not found: packages not checked by lintian"
fi
