#!/usr/bin/env bash
# Load benchmark: the server against quorin-dialer-sim on a demo database,
# with "FAST" and with the original pacing. Prints outcomes acknowledged and
# customers delivered per second, p50/p99 latency of a 100-customer group
# request and of an outcome, the server's peak memory and the bytes the
# server wrote to its files per acknowledged outcome.
#   CUSTOMERS=20000 FAST_SECONDS=60 PACED_SECONDS=30 bash bench/run_bench.sh
# With CUSTOMERS above 20000 the FAST run is made twice, on 20,000 customers
# and on CUSTOMERS, and the ratio of their group-request p99 is printed.
# PACED_SECONDS=0 skips the paced run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
customers="${CUSTOMERS:-20000}"
fast_seconds="${FAST_SECONDS:-60}"
paced_seconds="${PACED_SECONDS:-30}"
baseline=20000
build="${BUILD_DIR:-$root/build-release}"

bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel 2 --target quorin-db-server quorin-dialer-sim >/dev/null
server="$build/src/app/quorin-db-server"
sim="$build/src/dialer_sim/quorin-dialer-sim"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
declare -A group_p99

database() { # $1: customers; one demo database per size, copied for each run
  local file="$work/db-$1.sqlite"
  if [ ! -f "$file" ]; then
    "$server" --create-demo-db "$file" --customers "$1" >/dev/null
  fi
  echo "$file"
}

run() { # $1: label, $2: customers, $3: seconds, $4...: extra server words
  local label="$1" size="$2" seconds="$3"
  shift 3
  local app="$work/$label"
  cp -r "$root/scripts/demo" "$app"
  local db
  db="$(database "$size")"
  cp "$db" "$app/dati/campaign.sqlite"
  "$sim" --seconds "$seconds" --quantity 100 --operators 140,141,142 --db "$app/dati/campaign.sqlite" >"$app/sim.log" 2>&1 &
  local sim_pid=$!
  local port=""
  for _ in $(seq 1 100); do
    port="$(sed -n 's/^listening on //p' "$app/sim.log")"
    [ -n "$port" ] && break
    sleep 0.1
  done
  [ -n "$port" ] || { echo "simulator did not start" >&2; cat "$app/sim.log" >&2; exit 1; }
  printf '[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=%s\r\nAutoConnect=1\r\nSimulazione=0\r\nnodb=0\r\ndebug=0\r\n' "$port" >"$app/conn_quorin.ini"
  "$server" --headless --app-dir "$app" "$@" >"$app/server.log" 2>&1 &
  local server_pid=$!
  local status=0
  wait "$sim_pid" || status=$?
  local peak
  peak="$(awk '/VmHWM/ {print $2 " " $3}' "/proc/$server_pid/status" 2>/dev/null || echo "?")"
  kill -TERM "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
  echo "== $label ($size customers, ${seconds}s)"
  sed -n '2,$p' "$app/sim.log"
  echo "server peak memory (VmHWM): $peak"
  # Files the server wrote: DEBUG.TXT, the daily phone-choice logs, the web folder.
  local acked written
  acked="$(sed -n 's/.*outcomes acknowledged \([0-9]*\).*/\1/p' "$app/sim.log" | head -1)"
  written="$(find "$app" -maxdepth 2 \( -name 'DEBUG.TXT' -o -name '*.LOG' -o -path "$app/web/*" \) -type f -printf '%s\n' \
    | awk '{s += $1} END {print s + 0}')"
  if [ -n "$acked" ] && [ "$acked" -gt 0 ]; then
    local printed
    printed="$(stat -c %s "$app/server.log")"
    echo "bytes written to files: $written, per acknowledged outcome: $((written / acked));" \
      "standard output: $printed, per acknowledged outcome: $((printed / acked))"
  fi
  group_p99[$label]="$(sed -n 's/.*group request.*p99 \([0-9.]*\) ms.*/\1/p' "$app/sim.log" | head -1)"
  [ "$status" -eq 0 ] || { echo "simulator exit status $status" >&2; exit "$status"; }
}

echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -m)"
if [ "$customers" -gt "$baseline" ]; then
  run "FAST-$baseline" "$baseline" "$fast_seconds" FAST
  run "FAST-$customers" "$customers" "$fast_seconds" FAST
  awk -v a="${group_p99[FAST-$customers]}" -v b="${group_p99[FAST-$baseline]}" \
    'BEGIN { if (b > 0) printf "group request p99 ratio, %s to %s customers: %.2f\n", "'"$customers"'", "'"$baseline"'", a / b }'
else
  run "FAST-$customers" "$customers" "$fast_seconds" FAST
fi
if [ "$paced_seconds" -gt 0 ]; then
  run paced "$customers" "$paced_seconds"
fi
