#!/usr/bin/env bash
# Runs the benchmarks of an optimised build and prints every figure beside
# its target.
#
#   bench/run.sh BUILD_DIR
#
# Each figure is a ratio (or a rate) of two measurements taken in the same
# run: the benchmarks are repeated (JF_BENCH_REPETITIONS, default 10) in
# random interleaving and the medians are compared. Processor time is used
# everywhere except for File Save, which waits for the disk, so its elapsed
# time counts. The memory check runs the command-line tool as a child and
# compares peak resident sizes. Exit status 0 when every target is met,
# 1 when one is not, 2 when something could not be measured.
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
BUILD=$(cd "$1" && pwd)
BENCH="$BUILD/bench/jobforge3-bench"
CLI="$BUILD/tools/cli/jobforge3-cli"
REPETITIONS=${JF_BENCH_REPETITIONS:-10}
MIN_TIME=${JF_BENCH_MIN_TIME:-0.1}
for binary in "$BENCH" "$CLI"; do
    if [ ! -x "$binary" ]; then
        echo "missing $binary (build with -DJF_BUILD_BENCH=ON)" >&2
        exit 2
    fi
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/jf-bench-run.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

load_now() { cut -d' ' -f1-3 /proc/loadavg 2>/dev/null || echo "?"; }

echo "== machine"
echo "cpus: $(nproc 2>/dev/null || echo ?)"
echo "cpu:  $(grep -m1 'model name' /proc/cpuinfo 2>/dev/null | cut -d: -f2- | sed 's/^ *//' || echo ?)"
echo "load before: $(load_now)"

echo "== benchmarks ($REPETITIONS repetitions, interleaved)"
"$BENCH" --benchmark_repetitions="$REPETITIONS" \
    --benchmark_enable_random_interleaving=true \
    --benchmark_min_time="$MIN_TIME" \
    --benchmark_report_aggregates_only=true \
    --benchmark_counters_tabular=false \
    --benchmark_color=false \
    --benchmark_format=console >"$WORK/bench.txt" 2>"$WORK/bench.err" || {
    cat "$WORK/bench.err" >&2
    exit 2
}
grep -E '_median|ERROR' "$WORK/bench.txt" || true
echo "load after:  $(load_now)"

# The median of a benchmark in seconds: column 2 (real) or 4 (processor).
median() {
    local name=$1 column=$2
    awk -v name="$name" -v col="$column" '
        function seconds(value, unit) {
            if (unit == "ns") return value * 1e-9
            if (unit == "us") return value * 1e-6
            if (unit == "ms") return value * 1e-3
            return value
        }
        $1 == name "_median" { print seconds($col, $(col + 1)); found = 1; exit }
        END { if (!found) print "" }' "$WORK/bench.txt"
}

status=0
report() {  # figure target verdict
    printf '%-58s %-26s %s\n' "$1" "$2" "$3"
    # verdict runs in a command substitution, so the status is kept here.
    if [ "$3" = "NOT MET" ] && [ "$status" -eq 0 ]; then
        status=1
    fi
}
verdict() {  # awk condition on x -> ok / NOT MET
    if awk -v x="$1" "BEGIN { exit !($2) }"; then
        echo "ok"
    else
        status=1
        echo "NOT MET"
    fi
}
ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "" || b == 0) print ""; else printf "%.2f", a / b }'
}
missing() {
    report "$1" "$2" "not measured"
    status=2
}

echo
echo "== figures"
report "figure" "target" "verdict"

load=$(median BM_LoadSampleInstallation 4)
read_bytes=$(median BM_ReadSampleFileBytes 4)
r=$(ratio "$load" "$read_bytes")
if [ -n "$r" ]; then
    report "full load / reading the files' bytes: ${r}x" "<= 1.5x" "$(verdict "$r" 'x <= 1.5')"
else
    missing "full load / reading the files' bytes" "<= 1.5x"
fi

# Not targets: how much of the load the string tables take, and the least
# that keeping each of their texts in a string of its own costs.
decode=$(median BM_DecodeSampleStringTables 4)
floor=$(median BM_SampleTextsAsStrings 4)
r=$(ratio "$decode" "$read_bytes")
[ -n "$r" ] && report "  its string tables alone / reading the bytes: ${r}x" "(part of the load)" "info"
r=$(ratio "$floor" "$read_bytes")
[ -n "$r" ] && report "  their texts copied into strings / the bytes: ${r}x" "(floor of the load)" "info"

save=$(median BM_SaveSampleInstallation/real_time 2)
write_bytes=$(median BM_WriteSampleFileBytes/real_time 2)
r=$(ratio "$save" "$write_bytes")
if [ -n "$r" ]; then
    report "File Save / write+fsync+rename (elapsed): ${r}x" "<= 2x" "$(verdict "$r" 'x <= 2')"
else
    missing "File Save / write+fsync+rename" "<= 2x"
fi

parse=$(median BM_IffParse100kChunks 4)
if [ -n "$parse" ]; then
    rate=$(awk -v t="$parse" 'BEGIN { printf "%.2f", 100000 / t / 1e6 }')
    report "parse, 100,000 chunks: ${rate} M headers/s" ">= 2 M/s" "$(verdict "$rate" 'x >= 2')"
else
    missing "parse, 100,000 chunks" ">= 2 M/s"
fi

far=$(median BM_FarReadDirectoryAndExtract 4)
far_bytes=$(median BM_FarDirectoryBytesBaseline 4)
r=$(ratio "$far" "$far_bytes")
if [ -n "$r" ]; then
    report "FAR 20,000 entries + 1 extraction / bytes: ${r}x" "<= 2x" "$(verdict "$r" 'x <= 2')"
else
    missing "FAR directory + extraction / bytes" "<= 2x"
fi

small=$(median BM_StringTableSetThenGetEveryText/250 4)
large=$(median BM_StringTableSetThenGetEveryText/2000 4)
if [ -n "$small" ] && [ -n "$large" ]; then
    # Time per row at 2000 rows over time per row at 250 rows: 1 for linear
    # growth, 8 for quadratic.
    r=$(awk -v a="$large" -v b="$small" 'BEGIN { printf "%.2f", (a / 2000) / (b / 250) }')
    report "string table, per-row cost 2000 rows / 250 rows: ${r}" "linear (<= 1.5)" \
        "$(verdict "$r" 'x <= 1.5')"
else
    missing "string table growth" "linear"
fi

# Peak resident memory of `dump` on the sample installation against the same
# binary printing its usage.
peak_kib() {
    if [ -x /usr/bin/time ]; then
        /usr/bin/time -v "$@" >/dev/null 2>"$WORK/time.txt" </dev/null || true
        awk -F': *' '/Maximum resident set size/ { print $2 }' "$WORK/time.txt"
    elif command -v python3 >/dev/null; then
        python3 - "$@" <<'EOF'
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
               stderr=subprocess.DEVNULL)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
EOF
    fi
}
sample="$WORK/sample"
if "$CLI" make-sample "$sample" >"$WORK/sample.json" 2>"$WORK/sample.err"; then
    game=$(sed -n 's/.*"gameDataFolder": *"\(.*\)",\{0,1\}$/\1/p' "$WORK/sample.json")
    # The first load extracts the icon strips from the archive; measure a later one.
    "$CLI" dump "$game" >/dev/null 2>&1 </dev/null || true
    usage_peak=$(peak_kib "$CLI")
    dump_peak=$(peak_kib "$CLI" dump "$game")
    if [ -n "$usage_peak" ] && [ -n "$dump_peak" ]; then
        extra=$(awk -v d="$dump_peak" -v u="$usage_peak" 'BEGIN { printf "%.1f", (d - u) / 1024 }')
        report "dump peak memory above usage: ${extra} MiB ($((dump_peak / 1024)) vs $((usage_peak / 1024)) MiB)" \
            "<= 20 MiB" "$(verdict "$extra" 'x <= 20')"
    else
        missing "dump peak memory above usage" "<= 20 MiB"
    fi
else
    cat "$WORK/sample.err" >&2
    missing "dump peak memory above usage (no sample)" "<= 20 MiB"
fi
echo "load at the end: $(load_now)"

# The editor's start-up against a bare Qt window (its own launches, its own
# display).
echo
startup_status=0
"$(dirname "$0")/startup.sh" "$BUILD" || startup_status=$?
if [ "$startup_status" -gt "$status" ]; then
    status=$startup_status
fi
exit $status
