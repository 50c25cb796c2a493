#!/usr/bin/env bash
# Developer entry point. Usage:
#   ./dev.sh test            install what is missing, build under ASan+UBSan, run every test
#   ./dev.sh demo            build, make the sample installation, open the editor on it
#   ./dev.sh screenshots     build optimised and remake the user guide's pictures (docs/images)
#   ./dev.sh bench           build optimised and run the benchmarks and the start-up figure
#   ./dev.sh fuzz [SECONDS]  build the fuzz targets with clang and run each for SECONDS (default 60)
#   ./dev.sh package         build optimised, make the Debian package, check it with lintian
#   ./dev.sh windows         cross-build for Windows with mingw-w64, run the test suites and
#                            the editor under Wine (tools/windows/windows.sh)
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

# help2man writes the manual pages; desktop-file-utils, appstream and file
# check the installed files; gettext's msgfmt checks translation files;
# python3-jsonschema checks exported careers against their schema.
PACKAGES=(g++ cmake ninja-build pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          nlohmann-json3-dev qt6-base-dev help2man desktop-file-utils appstream file gettext
          python3-jsonschema)

need_packages() {
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if ((${#missing[@]})); then
        echo "== installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

configure_and_build() {
    local preset=$1
    shift
    # Options given (the bench switch) apply to a build configured earlier too.
    if [ ! -f "build/$preset/build.ninja" ] || (($#)); then
        cmake --preset "$preset" "$@"
    fi
    cmake --build --preset "$preset" -j "$JOBS"
}

cmd_test() {
    need_packages "${PACKAGES[@]}"
    configure_and_build test
    ctest --preset test -j "$JOBS"
    if [ "${CI:-}" = "true" ] && [ -x fuzz/smoke.sh ]; then
        need_packages clang libclang-rt-14-dev
        fuzz/smoke.sh
    fi
}

# Fonts for the Japanese, Chinese, Korean and Thai texts of the sample.
FONT_PACKAGES=(fonts-noto-cjk fonts-thai-tlwg)

cmd_demo() {
    need_packages "${PACKAGES[@]}" "${FONT_PACKAGES[@]}" xvfb xauth imagemagick
    configure_and_build release
    local sample="$ROOT/build/sample"
    if [ ! -f "$sample/system.reg" ]; then
        ./build/release/tools/cli/jobforge3-cli make-sample "$sample"
    fi
    export WINEPREFIX="$sample"
    # The editor's own settings for the sample stay beside it, away from the
    # user's real ones.
    export XDG_CONFIG_HOME="$ROOT/build/sample-config"
    local editor=./build/release/src/ui/jobforge3
    if [ -n "${DISPLAY:-}" ]; then
        exec "$editor"
    fi
    local shot="$ROOT/build/demo-screenshot.png"
    JF_SCREENSHOT="$shot" xvfb-run -a -s "-screen 0 1280x900x24" "$editor"
    echo "Screenshot of the loaded editor: $shot"
}

cmd_screenshots() {
    need_packages "${PACKAGES[@]}" "${FONT_PACKAGES[@]}" xvfb xauth imagemagick
    configure_and_build release
    tools/screenshots/make.sh "$ROOT/build/release" "$ROOT/docs/images"
}

cmd_bench() {
    # The start-up figure runs the editor under Xvfb with the fonts it shows.
    need_packages "${PACKAGES[@]}" "${FONT_PACKAGES[@]}" xvfb xauth
    configure_and_build release -DJF_BUILD_BENCH=ON
    if [ -x bench/run.sh ]; then
        bench/run.sh "$ROOT/build/release"
    else
        ./build/release/bench/jobforge3-bench
    fi
}

cmd_fuzz() {
    need_packages "${PACKAGES[@]}" clang libclang-rt-14-dev
    local seconds=${1:-60}
    fuzz/run.sh "$seconds"
}

# The Windows build: mingw-w64, Wine, Xvfb, the sources of GoogleTest and of
# Qt (fetched by tools/windows/build-qt.sh, which needs dpkg-dev).
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth googletest dpkg-dev zip)

cmd_windows() {
    need_packages "${PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
    tools/windows/windows.sh
}

# build/jobforge3-<version>-windows-x64.zip from the build cmd_windows made
# (made first when missing); prints its path. Called by cmd_package.
package_windows_zip() {
    need_packages "${PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}"
    if [ ! -f build/windows/src/ui/jobforge3.exe ]; then
        tools/windows/windows.sh
    fi
    tools/windows/package-zip.sh
}

# The Debian package: build/jobforge3_<version>_<arch>.deb. dpkg-shlibdeps
# (dpkg-dev) finds its dependencies; lintian errors fail the command.
cmd_package() {
    need_packages "${PACKAGES[@]}" dpkg-dev lintian
    if [ ! -f build/release/build.ninja ]; then
        cmake --preset release -DCMAKE_INSTALL_PREFIX=/usr
    else
        cmake build/release -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
    fi
    cmake --build --preset release -j "$JOBS"
    local staging="$ROOT/build/cpack"
    rm -rf "$staging"
    cpack --config build/release/CPackConfig.cmake -B "$staging"
    local built=("$staging"/*.deb)
    local deb="$ROOT/build/$(basename "${built[0]}")"
    mv "${built[0]}" "$deb"
    echo "== lintian"
    lintian --fail-on error --display-level ">=warning" "$deb"
    # The Windows zip, where the cross build is set up.
    if declare -F package_windows_zip >/dev/null; then
        package_windows_zip
    fi
    echo "Debian package: $deb"
}

case "${1:-}" in
    test) cmd_test ;;
    demo) cmd_demo ;;
    screenshots) cmd_screenshots ;;
    bench) cmd_bench ;;
    fuzz) shift; cmd_fuzz "$@" ;;
    package) cmd_package ;;
    windows) cmd_windows ;;
    *) echo "usage: $0 test|demo|screenshots|bench|fuzz [SECONDS]|package|windows" >&2; exit 2 ;;
esac
