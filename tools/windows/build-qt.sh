#!/usr/bin/env bash
# Builds a static Qt (Core, Gui, Widgets) for 64-bit Windows with mingw-w64
# from Debian's qt6-base source package, and installs it into a cache folder
# outside the checkout keyed by the Qt version and the configure options.
# Prints the install prefix on its last line. Skips the build when the cache
# already holds a finished install.
#
# Needs: the mingw-w64 posix compilers, the host Qt tools (qt6-base-dev),
# cmake, ninja and dpkg-dev; a deb-src entry is added for the machine's own
# Debian release when none is there.
set -euo pipefail
HERE=$(cd "$(dirname "$0")" && pwd)
TOOLCHAIN="$HERE/mingw-w64-x86_64.cmake"
JOBS=${JOBS:-2}

die() { echo "build-qt: $*" >&2; exit 1; }

QT_OPTIONS=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_png=OFF
    -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_system_textmarkdownreader=OFF
    -DINPUT_opengl=no
    -DFEATURE_tabletevent=OFF
    -DFEATURE_direct2d=ON
    -DFEATURE_direct2d1_1=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_network=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_testlib=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_printsupport=OFF
)

command -v x86_64-w64-mingw32-g++-posix >/dev/null || die "x86_64-w64-mingw32-g++-posix is missing (package g++-mingw-w64-x86-64-posix)"
[ -d /usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo ] || die "the host Qt tools are missing (package qt6-base-dev)"
command -v dpkg-source >/dev/null || die "dpkg-source is missing (package dpkg-dev)"

QT_VERSION=$(dpkg-query -W -f='${Version}' qt6-base-dev | sed -E 's/^[0-9]+://; s/[+-].*//')
[ -n "$QT_VERSION" ] || die "cannot tell the version of the installed host Qt"
KEY=$(printf '%s\n' "${QT_OPTIONS[@]}" | cat - "$TOOLCHAIN" | sha256sum | cut -c1-12)
CACHE=${JF_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/jobforge3}
PREFIX="$CACHE/qt-$QT_VERSION-mingw-static-$KEY"
STAMP="$PREFIX/.complete"

mkdir -p "$CACHE"
# One build at a time per key: a second caller waits for the first to finish.
exec 9>"$CACHE/qt-$QT_VERSION-$KEY.lock"
flock 9
if [ -f "$STAMP" ]; then
    echo "build-qt: using the cached Qt in $PREFIX" >&2
    echo "$PREFIX"
    exit 0
fi

WORK="$CACHE/qt-build-$QT_VERSION-$KEY"
mkdir -p "$WORK"
cd "$WORK"

# The sources of the host's own Qt version, from the Debian release the
# machine already uses.
if ! ls -d qt6-base-*/ >/dev/null 2>&1; then
    if ! grep -rqs '^Types:.*deb-src\|^deb-src' /etc/apt/sources.list /etc/apt/sources.list.d/; then
        CODENAME=$(. /etc/os-release && echo "$VERSION_CODENAME")
        [ -n "$CODENAME" ] || die "cannot tell the Debian release of this machine"
        echo "build-qt: adding a deb-src entry for $CODENAME" >&2
        cat >/etc/apt/sources.list.d/jobforge3-deb-src.sources <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $CODENAME $CODENAME-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
        apt-get update -qq
    fi
    apt-get source -qq --only-source "qt6-base=$(dpkg-query -W -f='${Version}' qt6-base-dev)" >&2 \
        || die "apt-get source qt6-base failed"
fi
SRC_DIR=$(ls -d "$WORK"/qt6-base-*/ | head -n1)
[ -f "$SRC_DIR/CMakeLists.txt" ] || die "no Qt source tree in $WORK"

# A build cut short (the same options, by the key) goes on where it stopped.
echo "build-qt: configuring Qt $QT_VERSION for mingw-w64 into $PREFIX" >&2
cmake -G Ninja -S "$SRC_DIR" -B "$WORK/build" \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" \
    "${QT_OPTIONS[@]}" >"$WORK/configure.log" 2>&1 \
    || { tail -n 40 "$WORK/configure.log" >&2; die "configuring Qt failed (log: $WORK/configure.log)"; }
echo "build-qt: building (about 13 minutes on 2 free cores)" >&2
nice -n 10 cmake --build "$WORK/build" -j "$JOBS" >"$WORK/build.log" 2>&1 \
    || { tail -n 40 "$WORK/build.log" >&2; die "building Qt failed (log: $WORK/build.log)"; }
cmake --install "$WORK/build" >"$WORK/install.log" 2>&1 \
    || { tail -n 20 "$WORK/install.log" >&2; die "installing Qt failed"; }
touch "$STAMP"
# The sources and objects are not needed any more; the install is what is kept.
rm -rf "$WORK"
echo "$PREFIX"
