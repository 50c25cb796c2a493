#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
#
#   fuzz/run.sh [SECONDS] [TARGET...]     (default 60 s each, every target)
#
# Environment:
#   JF_FUZZ_BUILD_DIR  build folder (default build/fuzz)
#   JF_FUZZ_WORK_DIR   where generated corpora, findings and logs go
#                      (default <build folder>/work); kept between runs, so
#                      later runs start from what earlier ones found
#   JF_FUZZ_PARALLEL   targets run at the same time (default: number of cores)
#   JF_FUZZ_SEED       libFuzzer's random seed (default: a new one each run)
#
# Each target starts from its seeds in fuzz/corpus/<target> and the regression
# inputs in fuzz/regressions/<target>. Limits per input: 3 s of run time,
# 256 MiB in one allocation, 1 GiB resident in all; exceeding one is a finding
# (a time-out only when the input runs too long again on its own).
# Prints executions and findings per target; exits 1 when anything was found.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$(pwd)

SECONDS_EACH=${1:-60}
shift || true
ALL_TARGETS=(iff far str carr bhav bcon cards bmp car cbk)
if (($#)); then
    TARGETS=("$@")
else
    TARGETS=("${ALL_TARGETS[@]}")
fi
BUILD=${JF_FUZZ_BUILD_DIR:-$ROOT/build/fuzz}
WORK=${JF_FUZZ_WORK_DIR:-$BUILD/work}
PARALLEL=${JF_FUZZ_PARALLEL:-$(nproc 2>/dev/null || echo 2)}
JOBS=$(nproc 2>/dev/null || echo 2)

# Limits against hostile inputs (see docs/reliability.md).
TIMEOUT_S=3
MALLOC_LIMIT_MB=256
RSS_LIMIT_MB=1024
MAX_LEN=65536

if [ ! -f "$BUILD/build.ninja" ]; then
    # The core gets coverage instrumentation and both sanitizers; the targets
    # link libFuzzer. JF_WERROR is off: clang reports warnings gcc does not
    # (an unused constant in src/iff/IffFile.cpp); the fuzz sources keep
    # -Werror of their own.
    CC=clang-14 CXX=clang++-14 cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE= \
        -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only -fsanitize=fuzzer-no-link" \
        -DJF_SANITIZE=ON -DJF_WERROR=OFF -DJF_BUILD_FUZZ=ON -DJF_BUILD_UI=OFF \
        -DJF_BUILD_TESTS=OFF -DJF_BUILD_BENCH=OFF >/dev/null
fi
ninja -C "$BUILD" -j "$JOBS" $(printf 'fuzz_%s ' "${TARGETS[@]}") >/dev/null

run_target() {
    local target=$1
    local dir="$WORK/$target"
    rm -rf "$dir/findings"
    mkdir -p "$dir/corpus" "$dir/findings"
    local seeds=("$ROOT/fuzz/corpus/$target")
    [ -d "$ROOT/fuzz/regressions/$target" ] && seeds+=("$ROOT/fuzz/regressions/$target")
    # New inputs go to the first folder (the work corpus), never into the repo.
    # Fork mode with timeouts ignored: on a busy machine an input can be kept
    # off the processor past the limit, and such a time-out must not end the
    # run; every time-out is tried again alone below.
    "$BUILD/fuzz/fuzz_$target" "$dir/corpus" "${seeds[@]}" \
        -fork=1 -ignore_timeouts=1 \
        -max_total_time="$SECONDS_EACH" -timeout="$TIMEOUT_S" \
        -malloc_limit_mb="$MALLOC_LIMIT_MB" -rss_limit_mb="$RSS_LIMIT_MB" \
        -max_len="$MAX_LEN" ${JF_FUZZ_SEED:+-seed="$JF_FUZZ_SEED"} -print_final_stats=1 \
        -artifact_prefix="$dir/findings/" >"$dir/log" 2>&1 || true
}

# A time-out counts as a finding only when the input also runs too long on
# its own; one that does not is set aside in findings/load/.
recheck_timeouts() {
    local target=$1
    local dir="$WORK/$target"
    local input
    for input in "$dir"/findings/timeout-*; do
        [ -f "$input" ] || continue
        if "$BUILD/fuzz/fuzz_$target" -timeout="$TIMEOUT_S" \
            -malloc_limit_mb="$MALLOC_LIMIT_MB" -rss_limit_mb="$RSS_LIMIT_MB" \
            "$input" >>"$dir/recheck.log" 2>&1; then
            mkdir -p "$dir/findings/load"
            mv "$input" "$dir/findings/load/"
        fi
    done
}

echo "== fuzzing ${#TARGETS[@]} target(s), ${SECONDS_EACH} s each, ${PARALLEL} at a time"
running=0
for target in "${TARGETS[@]}"; do
    rm -f "$WORK/$target/log"
    run_target "$target" &
    running=$((running + 1))
    if ((running >= PARALLEL)); then
        wait -n || true
        running=$((running - 1))
    fi
done
wait || true

status=0
printf '%-8s %8s %12s %10s %9s %8s\n' target seconds executions exec/s corpus findings
for target in "${TARGETS[@]}"; do
    dir="$WORK/$target"
    execs=$( (grep -o 'stat::number_of_executed_units: [0-9]*' "$dir/log" || true) | tail -1 | awk '{print $2}')
    recheck_timeouts "$target"
    corpus=$(find "$dir/corpus" -type f | wc -l)
    findings=$(find "$dir/findings" -maxdepth 1 -type f | wc -l)
    loadTimeouts=$(find "$dir/findings" -mindepth 2 -type f | wc -l)
    # In fork mode the running total is on the parent's "#N: cov:" lines
    # (the log of a crashed job, copied in, has lines "#N<tab>..." of its own).
    if [ -z "$execs" ]; then
        execs=$( (grep -o '^#[0-9]*: cov' "$dir/log" || true) | tail -1 | tr -d '#' | cut -d: -f1)
    fi
    execs=${execs:-0}
    rate=$((execs / (SECONDS_EACH > 0 ? SECONDS_EACH : 1)))
    # Time-outs are judged by the second try alone.
    if grep -E '^==[0-9]+== ?ERROR|property violated|^SUMMARY: |Test unit written' "$dir/log" |
        grep -q -v -i 'timeout'; then
        findings=$((findings > 0 ? findings : 1))
    fi
    printf '%-8s %8s %12s %10s %9s %8s\n' "$target" "$SECONDS_EACH" "$execs" "$rate" "$corpus" "$findings"
    if ((loadTimeouts > 0)); then
        echo "   $loadTimeouts time-out(s) under load, not repeated alone: $dir/findings/load"
    fi
    if ((findings > 0)); then
        status=1
        echo "   findings in $dir/findings; log: $dir/log"
        grep -m3 -E 'property violated|^SUMMARY|ERROR: libFuzzer' "$dir/log" | sed 's/^/   /' || true
    fi
done
exit $status
