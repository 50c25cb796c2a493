#!/usr/bin/env bash
# The Windows editor, proven under Wine (run by windows.sh after the test
# suites): builds the static Qt when the cache lacks it, cross-builds
# jobforge3.exe against it into build/windows (beside jobforge3-cli.exe),
# installs the sample game in the Wine prefix as the game's installer would
# (files under C:\Program Files\Maxis\The Sims, the game's key in the 32-bit
# registry view), starts the editor under Xvfb and saves a screenshot of its
# loaded main window to build/windows-screenshot.png. Fails when the window
# does not appear.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$ROOT"
SHOT="$ROOT/build/windows-screenshot.png"

[ -x "$GENERATOR" ] || die "no host-built gen_default_texts in $GENERATOR (run tools/windows/windows.sh)"
[ -f "$WINEPREFIX/system.reg" ] || die "no Wine prefix in $WINEPREFIX (run tools/windows/windows.sh)"

step "static Qt for mingw-w64"
QT_PREFIX=$("$HERE/build-qt.sh" | tail -n1)
[ -f "$QT_PREFIX/lib/cmake/Qt6/qt.toolchain.cmake" ] || die "the Qt build left no usable install in $QT_PREFIX"

step "cross-building jobforge3.exe"
# The build of windows.sh, now with the editor: its core is reused.
[ -f "$WIN_BUILD/build.ninja" ] || die "no Windows build in $WIN_BUILD (run tools/windows/windows.sh)"
cmake -S "$ROOT" -B "$WIN_BUILD" -DJF_BUILD_UI=ON \
    -DCMAKE_PROJECT_INCLUDE="$HERE/qt-project-include.cmake" -DJF_WINDOWS_QT_PREFIX="$QT_PREFIX" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
cmake --build "$WIN_BUILD" -j "$JOBS" --target jobforge3 jobforge3-cli
EDITOR="$WIN_BUILD/src/ui/jobforge3.exe"
CLI="$WIN_BUILD/tools/cli/jobforge3-cli.exe"

step "installing the sample game in the Wine prefix"
SAMPLE="$ROOT/build/windows-sample"
rm -rf "$SAMPLE"
wine "$CLI" make-sample "$(winepath -w "$SAMPLE")" >/dev/null || die "make-sample failed under Wine"
GAME="$WINEPREFIX/drive_c/Program Files/Maxis/The Sims"
rm -rf "$GAME"
mkdir -p "$(dirname "$GAME")"
cp -r "$SAMPLE/drive_c/Program Files/Maxis/The Sims" "$GAME"
# The game's 32-bit installer writes its key into the 32-bit registry view,
# which a 64-bit prefix keeps under Wow6432Node; the values are the sample's
# own (system.reg uses the .reg value syntax).
GAME_KEY='HKEY_LOCAL_MACHINE\Software\Wow6432Node\Maxis\The Sims'
REG="$ROOT/build/windows-sample.reg"
{
    printf 'REGEDIT4\r\n\r\n[%s]\r\n' "$GAME_KEY"
    grep '^"' "$SAMPLE/system.reg" | sed 's/$/\r/'
} >"$REG"
wine reg import "$(winepath -w "$REG")" >/dev/null 2>&1 || die "could not register the sample game"
wine reg query "$GAME_KEY" /v SIMS_DATA >/dev/null 2>&1 || die "the sample game's key is not in the registry"

step "starting the editor under Xvfb"
rm -f "$SHOT"
# The Wine server of the commands above knows no display; the editor must
# start a new one that does.
wineserver -k >/dev/null 2>&1 || true
wineserver -w || true
# An X server of our own on a free display (Wine did not start under
# xvfb-run's authorisation here), stopped when the script ends.
display=90
while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
    display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x900x24 -nolisten tcp >/dev/null 2>&1 &
XVFB_PID=$!
trap 'kill "$XVFB_PID" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.2
done
[ -e "/tmp/.X11-unix/X$display" ] || die "Xvfb did not start on display :$display"
# Line-edit text stays blank under Wine with Qt's GDI font engine; the
# program uses DirectWrite (see src/ui/main.cpp).
status=0
DISPLAY=":$display" JF_SCREENSHOT="$(winepath -w "$SHOT")" timeout 300 \
    wine "$EDITOR" </dev/null >"$ROOT/build/windows-editor.log" 2>&1 || status=$?
wineserver -w || true
if [ "$status" -ne 0 ] || [ ! -s "$SHOT" ]; then
    tail -n 20 "$ROOT/build/windows-editor.log" >&2 || true
    die "the editor's main window did not appear (exit $status, no screenshot)"
fi
echo "Screenshot of the loaded editor under Wine: $SHOT"
