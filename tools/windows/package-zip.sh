#!/usr/bin/env bash
# Makes build/jobforge3-<version>-windows-x64.zip from the Windows build made
# by windows.sh (build/windows): the stripped static jobforge3.exe and
# jobforge3-cli.exe and a short README. Prints the path of the zip.
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$(pwd)
EDITOR="$ROOT/build/windows/src/ui/jobforge3.exe"
CLI="$ROOT/build/windows/tools/cli/jobforge3-cli.exe"

die() { echo "windows zip: $*" >&2; exit 1; }

command -v zip >/dev/null || die "zip is missing (install the package zip)"
command -v x86_64-w64-mingw32-strip >/dev/null || die "x86_64-w64-mingw32-strip is missing (package binutils-mingw-w64-x86-64)"
[ -f "$EDITOR" ] && [ -f "$CLI" ] || die "no Windows build in build/windows (run ./dev.sh windows)"

VERSION=$(sed -nE 's/^project\(Jobforge3 VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
[ -n "$VERSION" ] || die "cannot read the version from CMakeLists.txt"
NAME="jobforge3-$VERSION-windows-x64"
STAGE="$ROOT/build/$NAME"
ZIP="$ROOT/build/$NAME.zip"
rm -rf "$STAGE" "$ZIP"
mkdir -p "$STAGE"
x86_64-w64-mingw32-strip -o "$STAGE/jobforge3.exe" "$EDITOR"
x86_64-w64-mingw32-strip -o "$STAGE/jobforge3-cli.exe" "$CLI"
sed 's/$/\r/' >"$STAGE/README.txt" <<TEXT
Jobforge 3 $VERSION for Windows (64-bit)

Jobforge 3 edits the careers of The Sims (2000).

Starting it: unzip this folder anywhere and double-click jobforge3.exe. It finds
the game through the registry key its installer wrote, or a copy of The Sims
Legacy Collection. jobforge3-cli.exe is the command-line companion: run it in a
command prompt without arguments to see its commands.

Both programs are single static executables; nothing else needs installing.

They were cross-built on Debian with mingw-w64 and tested under Wine, not on a
real Windows machine. Please report what does not work on yours.
TEXT
(cd "$ROOT/build" && zip -q -r -X "$ZIP" "$NAME")
rm -rf "$STAGE"
echo "$ZIP"
