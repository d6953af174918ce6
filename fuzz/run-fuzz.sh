#!/usr/bin/env bash
# Runs each libFuzzer program of a `fuzz` build for a given time over its own working
# corpus (build/fuzz/corpus-<name>) and the seeds in fuzz/corpus/<name>, prints one summary
# line per program (executions, rate, coverage, corpus, findings) and exits non-zero when any
# program found something. Findings are written to <build>/findings/<name>-*.
#
#   run-fuzz.sh <build dir> <seconds per program> <name>...
set -uo pipefail

build=$1
seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$build/findings" "$build/logs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

failed=0
printf '%-14s %12s %10s %8s %8s %8s  %s\n' program executions exec/s cov ft corpus findings
for name in "$@"; do
  program="$build/fuzz/${name}_fuzz"
  corpus="$build/corpus-$name"
  log="$build/logs/$name.log"
  mkdir -p "$corpus"
  rm -f "$build/findings/$name-"*
  "$program" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/findings/$name-" "$corpus" "$here/corpus/$name" >"$log" 2>&1
  status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | tail -1)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  units=$(sed -n 's/.* corp: \([0-9]*\)\/.*/\1/p' <<<"$last")
  findings=$(find "$build/findings" -name "$name-*" | wc -l)
  if [ "$status" -ne 0 ] && [ "$findings" -eq 0 ]; then findings=1; fi
  printf '%-14s %12s %10s %8s %8s %8s  %s\n' "$name" "${runs:-?}" "${rate:-?}" "${cov:-?}" \
    "${ft:-?}" "${units:-?}" "$findings"
  if [ "$findings" -ne 0 ]; then
    failed=1
    echo "  $name: exit $status, see $log and $build/findings/$name-*"
    grep -E 'ERROR|SUMMARY|runtime error|==[0-9]+==' "$log" | head -5 | sed 's/^/  /'
  fi
done
exit $failed
