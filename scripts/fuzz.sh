#!/usr/bin/env bash
# Builds the import line fuzz target (clang, with sanitizers) into build-fuzz/ and runs it for a
# short time on a scratch copy of the seed corpus. Fails when it finds a crash, a sanitizer
# report, a broken invariant or a hang; the input is left in build-fuzz/findings/.
#   bash scripts/fuzz.sh [seconds]      (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
# libFuzzer takes 0 as "no limit"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: $0 [seconds], a whole number above 0" >&2
    exit 2
fi
tree=build-fuzz

cmake -C tests/import/fuzz/fuzz.cmake -S . -B "$tree" -G Ninja > /dev/null
cmake --build "$tree" -j "$(nproc)" --target import_line_fuzz

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cp tests/import/fuzz/corpus/* "$scratch/"
findings="$tree/findings"
mkdir -p "$findings"
log="$tree/fuzz.log"

export UBSAN_OPTIONS="print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
echo "Fuzzing the import lines for ${seconds} s (log in $log)"
if ! "$tree/bin/import_line_fuzz" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -artifact_prefix="$findings/" -print_final_stats=1 "$scratch" > "$log" 2>&1; then
    tail -n 60 "$log"
    echo "The fuzzer found a fault; the input is in $findings/ (replay it with" \
        "$tree/bin/import_line_fuzz <file>)."
    exit 1
fi
grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$log" || true
