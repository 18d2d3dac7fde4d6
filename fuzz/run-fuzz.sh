#!/bin/sh
# Builds the libFuzzer targets with clang in build-fuzz/ and runs each for the
# given number of seconds, both at once. Saved inputs in fuzz/corpus/<target>
# seed the runs; new inputs go to build-fuzz/fuzz-scratch/<target>, findings
# to build-fuzz/fuzz-findings/. Usage: fuzz/run-fuzz.sh <seconds>
set -eu

seconds=${1:?usage: $0 <seconds>}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
targets="fuzz_parse_reply fuzz_set_roundtrip"

CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DFUZZ=ON >/dev/null
# shellcheck disable=SC2086
ninja -C "$build" -j2 $targets

mkdir -p "$build/fuzz-findings"
pids=""
for target in $targets; do
    mkdir -p "$build/fuzz-scratch/$target"
    "$build/fuzz/$target" \
        -max_total_time="$seconds" \
        -dict="$root/fuzz/dbp.dict" \
        -artifact_prefix="$build/fuzz-findings/$target-" \
        -print_final_stats=1 \
        "$build/fuzz-scratch/$target" "$root/fuzz/corpus/$target" \
        >"$build/$target.log" 2>&1 &
    pids="$pids $!"
done

status=0
for pid in $pids; do
    wait "$pid" || status=1
done

for target in $targets; do
    echo "== $target (log: $build/$target.log)"
    grep -E '^(stat::|Done|==[0-9]+==ERROR|SUMMARY)' "$build/$target.log" || true
done
if [ "$status" -ne 0 ]; then
    echo "fuzzing found a problem; reproducers are in $build/fuzz-findings/" >&2
fi
exit "$status"
