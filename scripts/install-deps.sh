#!/usr/bin/env bash
# Installs the build and test tools with apt-get when any of them is missing;
# with the argument "fuzz", the fuzzing tool chain too; with "windows", the
# MinGW-w64 cross compiler, Wine and zlib for Windows, and libpng built for
# Windows from Debian's source package (scripts/build-windows-deps.sh).
set -euo pipefail

missing=()
command -v cmake >/dev/null 2>&1 || missing+=(cmake)
command -v g++ >/dev/null 2>&1 || missing+=(g++)
command -v make >/dev/null 2>&1 || missing+=(make)
[ -f /usr/include/gtest/gtest.h ] || missing+=(libgtest-dev)
[ -f /usr/include/png.h ] || missing+=(libpng-dev)
[ -f /usr/include/nlohmann/json.hpp ] || missing+=(nlohmann-json3-dev)
[ -d /usr/src/googletest ] || [ -f /usr/lib/x86_64-linux-gnu/libgtest.a ] || missing+=(googletest)
# GDAL's development files build the GDAL driver; gdalinfo and gdal_translate use it.
[ -f /usr/include/gdal/gdal.h ] || missing+=(libgdal-dev)
command -v gdalinfo >/dev/null 2>&1 || missing+=(gdal-bin)
# groff formats the man pages in their check.
command -v groff >/dev/null 2>&1 || missing+=(groff-base)
# dpkg-shlibdeps works out the Debian package's dependencies (cpack -G DEB).
command -v dpkg-shlibdeps >/dev/null 2>&1 || missing+=(dpkg-dev)
# lintian checks the Debian packages in the install test.
command -v lintian >/dev/null 2>&1 || missing+=(lintian)
# "fuzz": clang and its libFuzzer and sanitizer runtimes as well.
if [ "${1:-}" = fuzz ]; then
    command -v clang++ >/dev/null 2>&1 || missing+=(clang)
    compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null ||
        missing+=(libclang-rt-14-dev)
fi

# "windows": the cross compiler, Wine to run what it makes, zlib for it, and
# what turns the man pages into HTML.
if [ "${1:-}" = windows ]; then
    command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 || missing+=(g++-mingw-w64-x86-64-posix)
    command -v wine >/dev/null 2>&1 || missing+=(wine)
    command -v wine64 >/dev/null 2>&1 || [ -x /usr/lib/wine/wine64 ] || missing+=(wine64)
    [ -f /usr/x86_64-w64-mingw32/lib/libz.a ] || missing+=(libz-mingw-w64-dev)
    command -v groff >/dev/null 2>&1 && [ -d /usr/share/groff/current/tmac ] &&
        [ -f /usr/share/groff/current/font/devhtml/DESC ] || missing+=(groff)
fi

if [ ${#missing[@]} -eq 0 ]; then
    [ "${1:-}" = windows ] && exec bash "$(dirname "$0")/build-windows-deps.sh"
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq "${missing[@]}"
if [ "${1:-}" = windows ]; then
    exec bash "$(dirname "$0")/build-windows-deps.sh"
fi
