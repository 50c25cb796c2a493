#!/usr/bin/env bash
# The editor's start-up against a bare Qt window, as part of `./dev.sh bench`.
#
#   bench/startup.sh BUILD_DIR
#
# Launches, alternately, the editor on a fresh sample installation and the
# bare window (bench/startup/BareWindow.cpp, built with the same flags), each
# JF_STARTUP_LAUNCHES times (default 15) after one warm-up launch each. A
# launch lasts from just before the program is started until it has painted
# its main window for the first time (the editor: loaded, loading window
# closed) and prints that moment (ui/StartupProbe.h). Prints both medians and
# their ratio beside the target (at most 1.5 times the bare window). Runs
# under Xvfb when there is no display (offscreen when Xvfb is missing).
# Exit status 0 when the target is met, 1 when not, 2 when something could
# not be measured.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
BUILD=$(cd "$1" && pwd)
EDITOR="$BUILD/src/ui/jobforge3"
BARE="$BUILD/bench/jobforge3-bare-window"
CLI="$BUILD/tools/cli/jobforge3-cli"
LAUNCHES=${JF_STARTUP_LAUNCHES:-15}
TARGET=1.5
# A launch taking longer has hung (a message box nobody answers).
LAUNCH_LIMIT_S=30
for binary in "$EDITOR" "$BARE" "$CLI"; do
    if [ ! -x "$binary" ]; then
        echo "missing $binary (build with -DJF_BUILD_BENCH=ON)" >&2
        exit 2
    fi
done

if [ -z "${DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    if command -v xvfb-run >/dev/null; then
        exec xvfb-run -a -s "-screen 0 1280x900x24" "$0" "$@"
    fi
    export QT_QPA_PLATFORM=offscreen
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/jf-startup.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
"$CLI" make-sample "$WORK/sample" >/dev/null
export WINEPREFIX="$WORK/sample"
export XDG_CONFIG_HOME="$WORK/config"
export JF_STARTUP_PROBE=1

# One launch: milliseconds from the start to the first paint, or "" on failure.
launch() {
    local start=${EPOCHREALTIME/[.,]/}
    if ! timeout "$LAUNCH_LIMIT_S" "$@" >"$WORK/out" 2>"$WORK/err" </dev/null; then
        cat "$WORK/err" >&2
        return 0
    fi
    local shown
    shown=$(sed -n 's/^shown //p' "$WORK/out")
    [ -n "$shown" ] && awk -v a="$shown" -v b="$start" 'BEGIN { printf "%.1f\n", (a - b) / 1000 }'
}

median() {
    sort -n | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print ""; exit }
        if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

echo "== start-up (${LAUNCHES} launches each, alternating, ${QT_QPA_PLATFORM:-xcb} on ${DISPLAY:-no display})"
# Warm-up: the editor's first load extracts the icon strips; both fill the
# page cache.
launch "$EDITOR" >/dev/null
launch "$BARE" >/dev/null
: >"$WORK/editor.ms"
: >"$WORK/bare.ms"
for ((i = 0; i < LAUNCHES; ++i)); do
    launch "$EDITOR" >>"$WORK/editor.ms"
    launch "$BARE" >>"$WORK/bare.ms"
done
editor=$(median <"$WORK/editor.ms")
bare=$(median <"$WORK/bare.ms")
echo "editor launches (ms): $(sort -n "$WORK/editor.ms" | tr '\n' ' ')"
echo "bare launches (ms):   $(sort -n "$WORK/bare.ms" | tr '\n' ' ')"
if [ "$(wc -l <"$WORK/editor.ms")" -lt "$LAUNCHES" ] || [ "$(wc -l <"$WORK/bare.ms")" -lt "$LAUNCHES" ] ||
    [ -z "$editor" ] || [ -z "$bare" ]; then
    printf '%-58s %-26s %s\n' "start-up, editor / bare window" "<= ${TARGET}x" "not measured"
    exit 2
fi
ratio=$(awk -v a="$editor" -v b="$bare" 'BEGIN { printf "%.2f", a / b }')
if awk -v x="$ratio" -v t="$TARGET" 'BEGIN { exit !(x <= t) }'; then
    verdict=ok
else
    verdict="NOT MET"
fi
printf '%-58s %-26s %s\n' "start-up, editor / bare window: ${editor} / ${bare} ms = ${ratio}x" \
    "<= ${TARGET}x" "$verdict"
[ "$verdict" = ok ]
