# Stages of a script run and their summary, for scripts/test (sourced).
#
#   stage NAME COMMAND [ARGS...]   runs the command with errexit on, its output
#                                  shown as it comes, and notes how it ended
#   finish_stages                  prints one line per stage and the overall
#                                  verdict; returns 1 when any stage failed
#
# A stage's line carries the last ctest verdict its output held. Every stage
# runs, also after one has failed.

stage_lines=()
stage_failures=0
stage_logs=$(mktemp -d)
trap 'rm -rf "$stage_logs"' EXIT

stage() {
  local name=$1
  shift
  local log="$stage_logs/${#stage_lines[@]}.log"
  echo "==> $name"
  local status
  set +e
  # A subshell outside any condition, so that errexit holds inside it.
  (set -e; "$@") 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  set -e
  local detail
  detail=$(grep -E 'tests passed, [0-9]+ tests? failed out of|No tests were found' "$log" | tail -1 || true)
  if [ "$status" -eq 0 ]; then
    stage_lines+=("$(printf '%-30s %s' "$name" "passed${detail:+  $detail}")")
  else
    stage_failures=$((stage_failures + 1))
    stage_lines+=("$(printf '%-30s %s' "$name" "FAILED  ${detail:-exit status $status}")")
  fi
}

finish_stages() {
  echo
  echo "==> summary"
  printf '%s\n' "${stage_lines[@]}"
  if [ "$stage_failures" -eq 0 ]; then
    echo "all ${#stage_lines[@]} stages passed"
    return 0
  fi
  echo "$stage_failures of ${#stage_lines[@]} stages FAILED"
  return 1
}
