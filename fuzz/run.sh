#!/bin/sh
# Builds the fuzz targets with clang-14 in build-fuzz and runs each one on a copy
# of its seed corpus. Fails on a crash, a sanitizer report or a broken invariant.
#
# Usage: fuzz/run.sh [seconds per target, default 30] [--report] [target...]
#   --report  print executions, speed and coverage of each run and keep the grown
#             corpora in build-fuzz/corpus-out/<target>/
# A failing input is kept in build-fuzz/artifacts/; rerun it with
#   build-fuzz/fuzz/fuzz_<target> <file>
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
seconds=30
report=0
targets=""
for arg in "$@"; do
    case "$arg" in
    --report) report=1 ;;
    [0-9]*) seconds=$arg ;;
    *) targets="$targets $arg" ;;
    esac
done
[ -n "$targets" ] || targets="receiver map_file number_text recording_reader"

CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORVEL_FUZZ=ON -DORVEL_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzzers -j"$(nproc)" >/dev/null

# The sanitizers' settings of the test run do not apply here: leaks count. A run
# allocates little and briefly: a 32 MiB quarantine still holds thousands of runs'
# freed blocks, while the default 256 MiB one hands out cold pages to every
# allocation; and filling each new block with a pattern only makes a read of
# uninitialised memory visible, which these checks do not look for.
export ASAN_OPTIONS=${FUZZ_ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:quarantine_size_mb=32:max_malloc_fill_size=0}
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/artifacts"

status=0
for target in $targets; do
    corpus="$build/corpus-out/$target"
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp "$root/fuzz/corpus/$target/"* "$corpus/"
    log="$build/fuzz-$target.log"
    case "$target" in
    number_text) max_len=512 ;;
    receiver) max_len=1024 ;;
    *) max_len=4096 ;;
    esac
    # "times" in a pipe or $( ) would report a subshell's children.
    times >"$build/cpu-$target"
    cpu_before=$(tail -n 1 "$build/cpu-$target")
    if "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=20 \
        -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" "$corpus" \
        >"$log" 2>&1; then
        result=ok
    else
        result=FAILED
        status=1
    fi
    times >"$build/cpu-$target"
    cpu_after=$(tail -n 1 "$build/cpu-$target")
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    cov=$(echo "$done_line" | sed -n 's/.*cov: \([0-9]*\).*/\1/p')
    ft=$(echo "$done_line" | sed -n 's/.*ft: \([0-9]*\).*/\1/p')
    edges=$(sed -n 's/.*(\([0-9]*\) inline 8-bit counters).*/\1/p' "$log" | head -n 1)
    units=$(ls "$corpus" | wc -l)
    # On a shared machine the wall-clock speed says as much about the neighbours:
    # the speed per second of processor time is this target's own.
    cpu_speed=$(echo "$cpu_before $cpu_after" | awk -v n="${execs:-0}" '
        function s(t) { split(t, p, "m"); return p[1] * 60 + p[2] }
        { t = s($3) + s($4) - s($1) - s($2); if (t > 0) printf "%d", n / t }')
    echo "fuzz $target: $result (${seconds} s, ${execs:-?} executions, ${speed:-?}/s," \
        "${cpu_speed:-?}/s of processor time," \
        "cov ${cov:-?} of ${edges:-?} edges, ft ${ft:-?}, corpus $units)"
    if [ "$result" = FAILED ]; then
        grep -E 'INVARIANT VIOLATED|ERROR: |SUMMARY: |runtime error' "$log" | head -n 5 || true
        echo "  log: $log; inputs kept in $build/artifacts/"
    fi
    if [ "$report" = 0 ]; then
        rm -rf "$corpus"
    fi
done
exit $status
