#!/usr/bin/env bash
# Builds Qt 5.15.13 for 64-bit Windows (qtbase and qtserialport) with
# Debian's MinGW-w64 cross compiler, once, into a cache folder that the
# windows build preset finds. Takes the source tarballs from the folder
# NIMBAL_QT_SOURCES and checks them against tools/windows/qt-5.15.13.sha256;
# it never downloads anything.
#
# usage: tools/windows-qt.sh            build the cached Qt unless it exists
#        tools/windows-qt.sh --prefix   print the cached Qt's folder; exit 1
#                                       when it has not been built
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
here=$PWD

version=5.15.13
sums=$here/tools/windows/qt-$version.sha256
# What a Windows build of the tools needs and nothing more: no OpenGL,
# networking or D-Bus, and of the SQL drivers only ODBC, through which the
# line record reaches PostgreSQL (psqlODBC); every third-party library
# bundled, so the DLLs need nothing beyond Windows and the MinGW runtime.
configure_options=(
    -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32-
    -opensource -confirm-license -shared -release
    -nomake examples -nomake tests
    -no-opengl -no-dbus -no-feature-network
    -no-sql-sqlite -sql-odbc -no-sql-mysql -no-sql-psql
    -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre -qt-harfbuzz -qt-freetype -no-fontconfig
)

# The cache folder's name changes with the sources and the options, so a
# change to either builds anew beside the old one.
key=$( (cat "$sums"; printf '%s\n' "${configure_options[@]}") | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/nimbal
prefix=$cache/windows-qt-$version-$key

if [ "${1:-}" = --prefix ]; then
    echo "$prefix"
    [ -f "$prefix/.complete" ]
    exit
fi
[ $# -eq 0 ] || { echo "usage: tools/windows-qt.sh [--prefix]" >&2; exit 2; }
[ -f "$prefix/.complete" ] && exit 0

sources=${NIMBAL_QT_SOURCES:-}
if [ -z "$sources" ]; then
    cat >&2 <<EOF
tools/windows-qt.sh: NIMBAL_QT_SOURCES is not set. Point it at a folder that holds
qtbase-everywhere-src-$version.tar.xz and qtserialport-everywhere-src-$version.tar.xz,
made with 'git archive' from Qt's public qtbase and qtserialport repositories at the tag
v$version-lts-lgpl (their checksums are in tools/windows/qt-$version.sha256).
EOF
    exit 1
fi
sources=$(cd "$sources" && pwd)
(cd "$sources" && sha256sum --check --quiet "$sums") || {
    echo "tools/windows-qt.sh: the tarballs in $sources do not match $sums" >&2
    exit 1
}

work=$cache/windows-qt-$version-$key.work
log=$cache/windows-qt-$version-$key.log
rm -rf "$work" "$prefix"
mkdir -p "$work"
jobs=$(build_jobs)
echo "building Qt $version for Windows, about $((64 / jobs)) minutes, log: $log"
started=$SECONDS

build() {
    set -x
    cd "$work"
    for module in qtbase qtserialport; do
        tar xJf "$sources/$module-everywhere-src-$version.tar.xz"
        # A git-style tree: Qt's build generates its forwarding headers.
        mkdir "$module-everywhere-src-$version/.git"
    done
    mkdir build-qtbase build-qtserialport
    cd build-qtbase
    ../qtbase-everywhere-src-$version/configure -prefix "$prefix" "${configure_options[@]}"
    make -j"$jobs"
    make install
    cd ../build-qtserialport
    "$prefix/bin/qmake" ../qtserialport-everywhere-src-$version
    make -j"$jobs"
    make install
}

if ! (build) >"$log" 2>&1; then
    echo "tools/windows-qt.sh: the Qt build failed; the end of $log:" >&2
    tail -n 30 "$log" >&2
    exit 1
fi
rm -rf "$work"
touch "$prefix/.complete"
echo "Qt $version for Windows built in $(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s: $prefix"
