#!/usr/bin/env bash
# Load benchmark: the server against quorin-dialer-sim on a demo database,
# with "FAST" and with the original pacing. Prints outcomes acknowledged and
# customers delivered per second, p50/p99 latency of a 100-customer group
# request and of an outcome, and the server's peak memory.
#   CUSTOMERS=20000 FAST_SECONDS=60 PACED_SECONDS=30 bash bench/run_bench.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
customers="${CUSTOMERS:-20000}"
fast_seconds="${FAST_SECONDS:-60}"
paced_seconds="${PACED_SECONDS:-30}"
build="$root/build-release"

bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel 2 --target quorin-db-server quorin-dialer-sim >/dev/null
server="$build/src/app/quorin-db-server"
sim="$build/src/dialer_sim/quorin-dialer-sim"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

run() { # $1: label, $2: seconds, $3...: extra server words
  local label="$1" seconds="$2"
  shift 2
  local app="$work/$label"
  cp -r "$root/scripts/demo" "$app"
  "$server" --create-demo-db "$app/dati/campaign.sqlite" --customers "$customers" >/dev/null
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
  echo "== $label ($customers customers, ${seconds}s)"
  sed -n '2,$p' "$app/sim.log"
  echo "server peak memory (VmHWM): $peak"
  [ "$status" -eq 0 ] || { echo "simulator exit status $status" >&2; exit "$status"; }
}

echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -m)"
run FAST "$fast_seconds" FAST
run paced "$paced_seconds"
