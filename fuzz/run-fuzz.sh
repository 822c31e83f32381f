#!/bin/sh
# Runs every libFuzzer target of a TOVALLO_FUZZ build for SECONDS each and prints one table row per
# target. New inputs go to BUILD/fuzz-corpus/<target> (seeded from fuzz/corpus/<target>, which
# stays as committed); a crashing input is kept as BUILD/fuzz-crashes/<target>-crash-<hash>.
# FUZZ_RUNS, when set, also ends a target after that many executions (a long campaign runs each
# target to FUZZ_RUNS executions or SECONDS, whichever comes first). Exits 1 when any target crashed.
#   fuzz/run-fuzz.sh BUILD SECONDS [TARGET...]
set -u
# The targets write their input to a scratch file for every run: memory is far faster than disk.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
targets=${*:-$(cd "$here/targets" && ls *.cpp | sed 's/\.cpp$//')}
work=$build/fuzz-corpus
crashes=$build/fuzz-crashes
logs=$build/fuzz-logs
mkdir -p "$work" "$crashes" "$logs"
failed=0
printf '%-22s %12s %10s %8s %8s\n' target executions exec/s coverage crashes
for t in $targets; do
    mkdir -p "$work/$t"
    dict=""
    [ -f "$here/dict/$t.dict" ] && dict="-dict=$here/dict/$t.dict"
    # FUZZ_SEED fixes the random sequence, so a short check run repeats itself.
    seed=""
    [ -n "${FUZZ_SEED:-}" ] && seed="-seed=$FUZZ_SEED"
    limit=""
    [ -n "${FUZZ_RUNS:-}" ] && limit="-runs=$FUZZ_RUNS"
    log=$logs/$t.log
    # -timeout: an input that takes this long counts as a crash (a hang).
    "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
        -artifact_prefix="$crashes/$t-" $dict $seed $limit "$work/$t" "$here/corpus/$t" >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    found=$(ls "$crashes" | grep -c "^$t-" || true)
    if [ "$status" -ne 0 ]; then
        failed=1
        [ "$found" -eq 0 ] && found=1
    fi
    printf '%-22s %12s %10s %8s %8s\n' "$t" "${runs:--}" "${speed:--}" "${cov:--}" "$found"
    if [ "$status" -ne 0 ]; then
        grep -m 1 -E 'ERROR|broken|runtime error' "$log" | sed 's/^/    /'
        echo "    log: $log"
    fi
done
exit $failed
