#!/usr/bin/env bash
# platform-standin's command line: --help prints the usage and succeeds; a
# port that is no number, an unknown option or a surplus argument fail with
# their reason and the usage.
#
#   standin-command-line.sh PLATFORM_STANDIN
set -uo pipefail
standin=$1
failures=0

output=$("$standin" --help 2>&1)
status=$?
if [ "$status" -ne 0 ] || ! grep -q '^usage: platform-standin \[--simulate\] \[port\] \[data-file\]$' <<<"$output"; then
  echo "--help: status $status, output: $output"
  failures=$((failures + 1))
fi

while IFS='|' read -r arguments reason; do
  # shellcheck disable=SC2086
  output=$("$standin" $arguments 2>&1)
  status=$?
  if [ "$status" -eq 0 ] || ! grep -qF "platform-standin: $reason" <<<"$output" || ! grep -q '^usage:' <<<"$output"; then
    echo "$arguments: status $status, output: $output"
    failures=$((failures + 1))
  fi
done <<'CASES'
abc|not a port number: abc
70000|not a port number: 70000
-1|unknown option -1
--verbose|unknown option --verbose
0 a.json extra|too many arguments
CASES
exit $((failures > 0))
