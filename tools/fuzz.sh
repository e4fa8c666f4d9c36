#!/usr/bin/env bash
# Runs every libFuzzer target of the fuzz tree for a fixed time each, from seed corpora that
# the native tree's fuzz_seeds writes, and prints executions, executions a second, coverage,
# crashes and timeouts.
#   tools/fuzz.sh FUZZ_BUILD HOST_BUILD SECONDS
# The corpus grows in FUZZ_BUILD/corpus/<target> from run to run; a crashing input lands in
# FUZZ_BUILD/crashes/ (reproduce it with: FUZZ_BUILD/tests/fuzz/<target>_fuzz FILE).
set -uo pipefail
fuzz="$1"; host="$2"; seconds="$3"
targets=(scanner skk_dictionary cache_file obel_scan_args kanjidic composition settings)

seeds="$fuzz/seeds"
rm -rf "$seeds"
"$host/tests/fuzz/fuzz_seeds" "$seeds" || exit 1
mkdir -p "$fuzz/crashes"

failed=0; passed=0
summary=()
for t in "${targets[@]}"; do
  program="$fuzz/tests/fuzz/${t}_fuzz"
  corpus="$fuzz/corpus/$t"
  log="$fuzz/$t.log"
  mkdir -p "$corpus"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$fuzz/crashes/$t-")
  case "$t" in
    obel_scan_args) options+=(-close_fd_mask=3 -max_len=512) ;;   # the parser prints usage texts
    scanner) options+=(-max_len=65536) ;;
    skk_dictionary) options+=(-max_len=16384) ;;
    cache_file) options+=(-max_len=4096) ;;                      # patches over a file of the layout's size
    kanjidic) options+=(-max_len=16384) ;;
    composition) options+=(-max_len=128) ;;
    settings) options+=(-max_len=8192) ;;
  esac
  # libFuzzer names what it keeps crash-, leak-, oom- or timeout- after the prefix.
  count() { ls "$fuzz/crashes" | grep -c "^$t-${1:-}" || true; }
  before=$(count); timeoutsBefore=$(count timeout-)
  echo "fuzz: $t for $seconds s"
  "$program" "${options[@]}" "$corpus" "$seeds/$t" >"$log" 2>&1
  rc=$?
  runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')
  rate=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')
  timeouts=$(( $(count timeout-) - timeoutsBefore ))
  crashes=$(( $(count) - before - timeouts ))
  if [ $rc -ne 0 ] || [ "$crashes" -ne 0 ] || [ "$timeouts" -ne 0 ]; then
    failed=$((failed + 1))
    echo "fuzz: $t FAILED (exit $rc); the end of $log:"
    grep -E 'ERROR|SUMMARY|Test unit written|#0 |#1 |#2 |#3 ' "$log" | head -20
  else
    passed=$((passed + 1))
  fi
  summary+=("$(printf '%-16s %12s %8s %8s %8s %8s' "$t" "${runs:-?}" "${rate:-?}" "${cov:-?}" "$crashes" "$timeouts")")
done
printf '%-16s %12s %8s %8s %8s %8s\n' target executions execs/s coverage crashes timeouts
printf '%s\n' "${summary[@]}"
echo "fuzz: $passed passed, $failed failed"
[ $failed -eq 0 ]
