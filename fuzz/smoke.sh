#!/usr/bin/env bash
# CI's short fuzzing pass: builds every fuzz target and runs each for a few
# seconds from the committed seeds, in a fresh work folder. Exits non-zero on
# any finding (crash, sanitizer report, violated property, time-out or
# memory limit). Total time, build included, stays well under 8 minutes on
# two cores.
#
#   fuzz/smoke.sh [SECONDS]   (default 8 s per target)
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${1:-8}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/jf-fuzz-smoke.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
started=$(date +%s)
status=0
# A fixed seed: the smoke explores the same inputs on every run, so a CI
# failure is one a developer can repeat; ./dev.sh fuzz explores anew.
JF_FUZZ_SEED=${JF_FUZZ_SEED:-1} JF_FUZZ_WORK_DIR="$WORK" fuzz/run.sh "$SECONDS_EACH" || status=$?
echo "== fuzz smoke: $(($(date +%s) - started)) s in all, exit $status"
if ((status != 0)); then
    # Keep the findings where CI's log shows them.
    for f in "$WORK"/*/findings/*; do
        [ -f "$f" ] && echo "finding: $f ($(wc -c <"$f") bytes)" && od -A d -t x1 "$f" | head -20
    done
fi
exit $status
