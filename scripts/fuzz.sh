#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each over a copy of its seed corpus
# (fuzz/corpus/<target>/, never changed) for the given seconds, 60 by default. Prints the inputs
# each target ran and fails when one of them crashed, hung or broke a sanitizer's rule; the input
# that did it is left in build-fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

seconds="${1:-60}"
dir=build-fuzz
flags=()
[ "${CI:-}" = "true" ] && flags+=(-DCV_WERROR=ON)

cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCV_FUZZ=ON -DCV_BUILD_TESTS=OFF "${flags[@]}"
cmake --build "$dir" --target cv_fuzz

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for corpus in fuzz/corpus/*/; do
    target="$(basename "$corpus")"
    work="$dir/fuzz-corpus/$target"
    findings="$dir/findings/$target"
    rm -rf "$work" "$findings"
    mkdir -p "$work" "$findings"
    cp -r "$corpus"/. "$work"/
    log="$dir/findings/$target.log"
    status=0
    "$dir/bin/$target" "$work" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=16384 -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
    if [ "$status" -ne 0 ]; then
        failed+=("$target")
        echo "$target: FAILED after ${runs:-?} inputs (exit $status); see $log and $findings/"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|broken promise|.*runtime error)' "$log" | head -n 5 || true
    else
        echo "$target: ${runs:-?} inputs in ${seconds} s, no fault"
    fi
done
[ ${#failed[@]} -eq 0 ] || { echo "fuzzing found faults in: ${failed[*]}" >&2; exit 1; }
