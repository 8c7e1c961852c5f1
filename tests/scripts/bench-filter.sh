#!/usr/bin/env bash
# scripts/bench --filter: a program's name runs all of its benchmarks, a
# benchmark's name runs that benchmark alone, and a filter that matches
# nothing says so and fails.
#
#   bench-filter.sh SOURCE_DIR BUILD_DIR
set -uo pipefail
bench=("$1/scripts/bench" --no-build --build-dir "$2" --min-time 0.001)
failures=0
fail() { echo "$1"; failures=$((failures + 1)); }

output=$("${bench[@]}" --filter '^bench_codepage$' 2>/dev/null) || fail "program name: exit $?"
for name in NarrowItemId/0 WidenItemId/0; do
  grep -q "^$name " <<<"$output" || fail "program name: $name missing from: $output"
done

output=$("${bench[@]}" --filter '^NarrowItemId/0$' 2>/dev/null) || fail "benchmark name: exit $?"
grep -q '^NarrowItemId/0 ' <<<"$output" || fail "benchmark name: NarrowItemId/0 missing from: $output"
! grep -q '^WidenItemId' <<<"$output" || fail "benchmark name: other benchmarks ran: $output"

errors=$("${bench[@]}" --filter 'no_such_benchmark_or_program' 2>&1 >/dev/null)
status=$?
[ "$status" -ne 0 ] || fail "matching nothing: exit 0"
grep -q "matches no bench program and no benchmark" <<<"$errors" || fail "matching nothing: said: $errors"
exit $((failures > 0))
