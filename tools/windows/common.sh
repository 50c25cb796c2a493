# Shared by the Windows build scripts (sourced, not run): the folders, the
# Wine prefix of the build, and how a script reports and fails.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
HERE="$ROOT/tools/windows"
JOBS=${JOBS:-$(nproc 2>/dev/null || echo 2)}
TOOLCHAIN="$HERE/mingw-w64-x86_64.cmake"
HOST_BUILD="$ROOT/build/windows-host"
WIN_BUILD="$ROOT/build/windows"
DEPS="$ROOT/build/windows-deps"
GENERATOR="$HOST_BUILD/tools/gen_default_texts/gen_default_texts"
export WINEPREFIX="$ROOT/build/wine-prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono/Gecko install dialogs
export WINEARCH=win64

die() { echo "windows: $*" >&2; exit 1; }
step() { echo "== windows: $*"; }
