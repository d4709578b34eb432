#!/usr/bin/env bash
# Builds what the Windows programs link that Debian has no MinGW build of:
# libpng, from Debian's source package at the version the main suite serves,
# cross-compiled as a static library into build/windows-deps/prefix; and
# points that prefix at nlohmann/json's headers and CMake files (header-only,
# so nothing else of /usr/include is seen by the Windows build). Does nothing
# when the library is there already.
set -euo pipefail
cd "$(dirname "$0")/.."
LIBPNG_VERSION=1.6.39-2+deb12u5
deps=build/windows-deps
prefix=$PWD/$deps/prefix
if [ -f "$prefix/lib/libpng16.a" ] && [ -e "$prefix/include/nlohmann" ]; then
    exit 0
fi
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
# The source package comes from a deb-src entry of the project's own.
sources=/etc/apt/sources.list.d/terrain-converters-src.sources
if [ ! -f "$sources" ]; then
    "${sudo_cmd[@]}" tee "$sources" >/dev/null <<'LIST'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
LIST
    "${sudo_cmd[@]}" apt-get update -qq
fi
mkdir -p "$deps/src" "$prefix/include" "$prefix/share/cmake"
(
    cd "$deps/src"
    rm -rf libpng1.6-*
    apt-get source -qq --download-only "libpng1.6=$LIBPNG_VERSION" >/dev/null
    dpkg-source -x --no-check libpng1.6_*.dsc libpng >/dev/null
    cd libpng
    ./configure -q --host=x86_64-w64-mingw32 --prefix="$prefix" --enable-static --disable-shared \
        CC=x86_64-w64-mingw32-gcc-posix CPPFLAGS=-I/usr/x86_64-w64-mingw32/include \
        LDFLAGS=-L/usr/x86_64-w64-mingw32/lib >/dev/null
    make -s -j"$(nproc)" install >../libpng-build.log 2>&1 || { cat ../libpng-build.log; exit 1; }
)
ln -sfn /usr/include/nlohmann "$prefix/include/nlohmann"
ln -sfn /usr/share/cmake/nlohmann_json "$prefix/share/cmake/nlohmann_json"
echo "libpng $LIBPNG_VERSION for Windows in $prefix"
