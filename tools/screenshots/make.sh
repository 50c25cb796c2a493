#!/usr/bin/env bash
# The pictures of the user guide: runs the editor of an optimised build on a
# fresh sample installation under Xvfb with JF_SCREENSHOT_DIR, which makes it
# picture the main window and every dialog in turn (src/ui/ScreenshotTour.cpp)
# and end. `./dev.sh screenshots` runs it after building.
#
#   tools/screenshots/make.sh BUILD_DIR [OUTPUT_DIR]   (default docs/images)
#
# The pictures are made in a scratch folder and copied to OUTPUT_DIR only
# when every one of them was made; exit status 1 (OUTPUT_DIR untouched) when
# one is missing or the editor failed. The user's own settings and folders
# are not touched: settings, home and documents folder are scratch folders.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 BUILD_DIR [OUTPUT_DIR]" >&2
    exit 2
fi
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "$1" && pwd)
OUTPUT=${2:-$ROOT/docs/images}
EDITOR="$BUILD/src/ui/jobforge3"
CLI="$BUILD/tools/cli/jobforge3-cli"
# A tour that takes longer has hung (a window that does not close).
TOUR_LIMIT_S=120
# One picture per window, as the tour names them.
PICTURES=(main-window loading-window job-details chance-card-list chance-card-item icons
          global-options global-texts import-file export-file backup-file about replace-career
          language-menu)

for binary in "$EDITOR" "$CLI"; do
    if [ ! -x "$binary" ]; then
        echo "missing $binary (build the release preset first)" >&2
        exit 2
    fi
done
if ! command -v xvfb-run >/dev/null; then
    echo "xvfb-run is missing (package xvfb)" >&2
    exit 2
fi

# The file dialogs show the home folder's path, so it has the same name in
# every run (one run at a time); it holds an exported career and a backup for
# the Import dialog to list.
HOME_FOLDER=${TMPDIR:-/tmp}/jobforge3-guide-home
exec 9>"$HOME_FOLDER.lock"
flock 9
WORK=$(mktemp -d "${TMPDIR:-/tmp}/jf-screenshots.XXXXXX")
trap 'rm -rf "$WORK" "$HOME_FOLDER"' EXIT
rm -rf "$HOME_FOLDER"
mkdir -p "$WORK/images" "$HOME_FOLDER/Documents" "$WORK/config"
game=$("$CLI" make-sample "$WORK/sample" | sed -n 's/.*"gameDataFolder": *"\(.*\)",\{0,1\}$/\1/p')
"$CLI" export "$game" 0 "$HOME_FOLDER/Documents/Lighthouse.car" >/dev/null 2>"$WORK/cli.err" ||
    { cat "$WORK/cli.err" >&2; exit 1; }
"$CLI" backup "$game" "$HOME_FOLDER/Documents/All careers.cbk" >/dev/null 2>"$WORK/cli.err" ||
    { cat "$WORK/cli.err" >&2; exit 1; }
# A fixed date, so that the file dialogs' pictures change only when the dialogs do.
touch -d "2000-02-04 12:00" "$HOME_FOLDER/Documents/"*

status=0
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
    HOME="$HOME_FOLDER" XDG_CONFIG_HOME="$WORK/config" WINEPREFIX="$WORK/sample" \
    LC_ALL=C.UTF-8 JF_SCREENSHOT_DIR="$WORK/images" \
    xvfb-run -a -s "-screen 0 1280x900x24" timeout "$TOUR_LIMIT_S" "$EDITOR" \
    >"$WORK/editor.out" 2>"$WORK/editor.err" ||
    status=$?
if [ "$status" -ne 0 ]; then
    echo "the editor ended with status $status:" >&2
    cat "$WORK/editor.err" >&2
fi

missing=()
for name in "${PICTURES[@]}"; do
    picture="$WORK/images/$name.png"
    if [ ! -s "$picture" ] ||
        { command -v identify >/dev/null && ! identify "$picture" >/dev/null 2>&1; }; then
        missing+=("$name")
    fi
done
if ((${#missing[@]})) || [ "$status" -ne 0 ]; then
    ((${#missing[@]})) && echo "pictures not made: ${missing[*]}" >&2
    echo "$OUTPUT left as it was" >&2
    exit 1
fi

mkdir -p "$OUTPUT"
for name in "${PICTURES[@]}"; do
    cp "$WORK/images/$name.png" "$OUTPUT/$name.png"
    size=$(identify -format '%wx%h' "$OUTPUT/$name.png" 2>/dev/null || echo "?")
    echo "$OUTPUT/$name.png ($size)"
done
