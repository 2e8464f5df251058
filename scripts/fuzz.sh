#!/usr/bin/env bash
# Runs each fuzzer in turn for SECONDS (default 60), one at a time, over its
# corpus kept in build-fuzz/corpus/<target>, the seeds and the committed
# regression inputs (fuzz/corpus/<target>). Prints executions, executions a
# second and crashes per target; a crash's input goes to build-fuzz/crashes/.
# Fails when any target crashed.
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
shift || true
bash "$root/scripts/build-fuzz.sh" >/dev/null
build="$root/build-fuzz"
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for exe in "$build"/fuzz/fuzz_*; do
    name="$(basename "$exe")"
    [ "$name" = fuzz_seed_writer ] || targets+=("$name")
  done
fi
mkdir -p "$build/crashes" "$build/logs"
failed=0
printf '%-14s %14s %10s %8s\n' target executions exec/s crashes
for name in "${targets[@]}"; do
  mkdir -p "$build/corpus/$name" "$root/fuzz/corpus/$name"
  log="$build/logs/$name.log"
  rc=0
  "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$name-" \
    "$build/corpus/$name" "$build/seeds/$name" "$root/fuzz/corpus/$name" >"$log" 2>&1 || rc=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
  rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)"
  crashes=0
  if [ "$rc" -ne 0 ]; then
    crashes=1
    failed=1
  fi
  printf '%-14s %14s %10s %8s\n' "$name" "${runs:-?}" "${rate:-?}" "$crashes"
  if [ "$rc" -ne 0 ]; then
    grep -E 'invariant broken|runtime error|ERROR: AddressSanitizer|ERROR: libFuzzer' "$log" | head -3 | sed 's/^/    /'
    grep -E 'Test unit written to' "$log" | sed 's/^/    /'
  fi
done
exit "$failed"
