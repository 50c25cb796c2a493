#!/usr/bin/env bash
# The Windows build, proven under Wine (./dev.sh windows runs this after
# installing the packages it needs):
#   1. gen_default_texts built for this machine in build/windows-host;
#   2. GoogleTest built from Debian's googletest sources with mingw-w64;
#   3. the core, jobforge3-cli.exe and every test suite that needs no Qt
#      cross-built into build/windows and run under Wine in a prefix of its
#      own (build/wine-prefix); their totals are printed;
#   4. a static Qt for mingw-w64 (tools/windows/build-qt.sh, cached), the
#      editor jobforge3.exe cross-built against it into build/windows,
#      started under Wine and Xvfb on the sample installation, and a
#      screenshot of its loaded main window saved to
#      build/windows-screenshot.png.
# Exits non-zero with a message naming what failed; a suite that did not run
# is never counted as passed.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$ROOT"

require() {
    local tool=$1 package=$2
    command -v "$tool" >/dev/null 2>&1 || die "$tool is missing (install the package $package)"
}
require x86_64-w64-mingw32-g++-posix g++-mingw-w64-x86-64-posix
require wine wine
require Xvfb xvfb
require cmake cmake
require ninja ninja-build
[ -f /usr/src/googletest/CMakeLists.txt ] || die "the GoogleTest sources are missing (install the package googletest)"
[ -f /usr/share/cmake/nlohmann_json/nlohmann_jsonConfig.cmake ] || die "nlohmann_json is missing (install the package nlohmann-json3-dev)"
probe=$(mktemp -d)
echo 'int main() { return 0; }' | x86_64-w64-mingw32-g++-posix -x c++ -static -o "$probe/probe.exe" - \
    || { rm -rf "$probe"; die "the mingw-w64 compiler cannot link a program"; }
rm -rf "$probe"

# 1. Tools that run during the build run on this machine.
step "host tools"
if [ ! -f "$HOST_BUILD/build.ninja" ]; then
    cmake -G Ninja -S "$ROOT" -B "$HOST_BUILD" -DCMAKE_BUILD_TYPE=Release -DJF_BUILD_TESTS=OFF \
        -DJF_BUILD_UI=OFF -DJF_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$HOST_BUILD" -j "$JOBS" --target gen_default_texts

# 2. GoogleTest from Debian's sources, with the same toolchain; nlohmann_json
# (headers only) beside it, so the cross build sees none of the host's headers.
if [ ! -f "$DEPS/.complete" ]; then
    step "GoogleTest for mingw-w64"
    rm -rf "$DEPS" "$DEPS-build"
    cmake -G Ninja -S /usr/src/googletest -B "$DEPS-build" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$DEPS" -DBUILD_GMOCK=ON \
        -Dgtest_force_shared_crt=OFF >/dev/null
    cmake --build "$DEPS-build" -j "$JOBS"
    cmake --install "$DEPS-build" >/dev/null
    mkdir -p "$DEPS/include" "$DEPS/share/cmake"
    cp -r /usr/include/nlohmann "$DEPS/include/"
    cp -r /usr/share/cmake/nlohmann_json "$DEPS/share/cmake/"
    rm -rf "$DEPS-build"
    touch "$DEPS/.complete"
fi

# 3. The core, the CLI and the test suites.
step "cross-building the core, jobforge3-cli.exe and the test suites"
if [ ! -f "$WIN_BUILD/build.ninja" ]; then
    cmake -G Ninja -S "$ROOT" -B "$WIN_BUILD" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DCMAKE_BUILD_TYPE=Release -DJF_WERROR=ON -DJF_BUILD_UI=OFF -DJF_BUILD_BENCH=OFF \
        -DJF_DEFAULT_TEXTS_GENERATOR="$GENERATOR" \
        -DGTest_DIR="$DEPS/lib/cmake/GTest" \
        -Dnlohmann_json_DIR="$DEPS/share/cmake/nlohmann_json"
fi
cmake --build "$WIN_BUILD" -j "$JOBS"

step "preparing the Wine prefix $WINEPREFIX"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init >/dev/null 2>&1 || die "wineboot --init failed: Wine does not run here"
fi
wineserver -w || true
[ -f "$WINEPREFIX/system.reg" ] || die "Wine made no prefix in $WINEPREFIX"

step "running the test suites under Wine"
mapfile -t SUITES < <(find "$WIN_BUILD/tests" -maxdepth 1 -name 'test_*.exe' | sort)
((${#SUITES[@]})) || die "no test suite was built in $WIN_BUILD/tests"
total_passed=0
total_failed=0
total_skipped=0
broken=()
LOGS="$WIN_BUILD/test-logs"
mkdir -p "$LOGS"
for suite in "${SUITES[@]}"; do
    name=$(basename "$suite" .exe)
    log="$LOGS/$name.log"
    status=0
    (cd "$WIN_BUILD/tests" && timeout 1200 wine "$suite" --gtest_color=no) >"$log" 2>&1 || status=$?
    ran=$(sed -nE 's/^\[==========\] ([0-9]+) tests? from .* ran\..*/\1/p' "$log" | tail -n1)
    passed=$(sed -nE 's/^\[  PASSED  \] ([0-9]+) tests?\..*/\1/p' "$log" | tail -n1)
    failed=$(sed -nE 's/^\[  FAILED  \] ([0-9]+) tests?, listed below.*/\1/p' "$log" | tail -n1)
    skipped=$(sed -nE 's/^\[  SKIPPED \] ([0-9]+) tests?, listed below.*/\1/p' "$log" | tail -n1)
    passed=${passed:-0} failed=${failed:-0} skipped=${skipped:-0}
    if [ -z "$ran" ] || { [ "$status" -ne 0 ] && [ "$failed" -eq 0 ]; }; then
        # No summary, or a failing exit without failed tests: the suite
        # crashed or did not start; none of its tests counts as passed.
        echo "   $name: did not run to its end (exit $status), see $log"
        broken+=("$name")
        continue
    fi
    echo "   $name: $passed passed, $failed failed, $skipped skipped"
    if [ "$failed" -ne 0 ]; then
        grep -E '^\[  FAILED  \] [A-Za-z]' "$log" | sed 's/^/      /' | sort -u
    fi
    total_passed=$((total_passed + passed))
    total_failed=$((total_failed + failed))
    total_skipped=$((total_skipped + skipped))
done
echo "windows: $total_passed passed, $total_failed failed, $total_skipped skipped"
((${#broken[@]} == 0)) || die "suites that did not run to their end: ${broken[*]}"
((total_failed == 0)) || die "$total_failed tests failed under Wine (logs in $LOGS)"

# 4. The editor.
"$HERE/editor.sh"
