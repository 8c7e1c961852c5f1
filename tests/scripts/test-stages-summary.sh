#!/usr/bin/env bash
# The stages of scripts/test: a stage that fails stops at its first failing
# command, the stages after it still run, and the run ends with one line per
# stage (with the stage's ctest verdict) and the overall verdict, failing.
#
#   test-stages-summary.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/run" <<SCRIPT
set -euo pipefail
source "$source_dir/scripts/stages.bash"
passing() { echo "100% tests passed, 0 tests failed out of 7"; }
failing() { echo "90% tests passed, 1 tests failed out of 10"; false; echo "reached after a failure" >"$work/reached"; }
stage "first" passing
stage "second" failing
stage "third" true
finish_stages
SCRIPT

status=0
bash "$work/run" >"$work/out" 2>&1 || status=$?
failures=0
summary=$(sed -n '/^==> summary$/,$p' "$work/out")
expected="==> summary
first                          passed  100% tests passed, 0 tests failed out of 7
second                         FAILED  90% tests passed, 1 tests failed out of 10
third                          passed
1 of 3 stages FAILED"
if [ "$summary" != "$expected" ]; then
  echo "summary differs:"; diff <(echo "$expected") <(echo "$summary") || true
  failures=$((failures + 1))
fi
if [ "$status" -eq 0 ]; then echo "the run ended with status 0"; failures=$((failures + 1)); fi
if [ -e "$work/reached" ]; then echo "a failing stage went on after its failing command"; failures=$((failures + 1)); fi

# All passing: status 0 and the verdict says so.
sed -i '/stage "second" failing/d' "$work/run"
status=0
bash "$work/run" >"$work/out" 2>&1 || status=$?
if [ "$status" -ne 0 ] || [ "$(tail -1 "$work/out")" != "all 2 stages passed" ]; then
  echo "a passing run ended with status $status and: $(tail -1 "$work/out")"
  failures=$((failures + 1))
fi
exit $((failures > 0))
