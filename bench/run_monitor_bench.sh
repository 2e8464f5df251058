#!/usr/bin/env bash
# The CT monitor under load beside the dialer: 200 extensions, 200 extension
# records and 200 group records a second from quorin-telephony-sim, while
# quorin-dialer-sim drives the dialer link with FAST. Runs the dialer alone
# first, then both, and prints the dialer's outcome p99 in each run and their
# ratio, the monitor records applied a second, the p99 from a record's
# arrival to its CT_Monitor commit, and whether CT_Monitor equals the last
# state the simulator sent.
#   SECONDS_EACH=600 CUSTOMERS=20000 bash bench/run_monitor_bench.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${SECONDS_EACH:-600}"
customers="${CUSTOMERS:-20000}"
build="${BUILD_DIR:-$root/build-release}"

bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --parallel 2 --target quorin-db-server quorin-dialer-sim quorin-telephony-sim >/dev/null
server="$build/src/app/quorin-db-server"
dsim="$build/src/dialer_sim/quorin-dialer-sim"
tsim="$build/src/telephony_sim/quorin-telephony-sim"

work="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
"$server" --create-demo-db "$work/db.sqlite" --customers "$customers" >/dev/null

port_of() { # $1: log file, $2: sed expression
  local p=""
  for _ in $(seq 1 100); do
    p="$(sed -n "$2" "$1")"
    [ -n "$p" ] && break
    sleep 0.1
  done
  echo "$p"
}

run() { # $1: label, $2: with monitor (0/1)
  local label="$1" monitor="$2" app="$work/$1"
  cp -r "$root/scripts/demo" "$app"
  cp "$work/db.sqlite" "$app/dati/campaign.sqlite"
  "$dsim" --seconds "$seconds" --quantity 100 --operators 140,141,142 --db "$app/dati/campaign.sqlite" >"$app/dsim.log" 2>&1 &
  local dsim_pid=$!
  local dport extra=""
  dport="$(port_of "$app/dsim.log" 's/^listening on //p')"
  if [ "$monitor" = 1 ]; then
    "$tsim" --extensions 200 --rate 200 --group-rate 200 --groups 20 --seconds "$seconds" \
      --db "$app/dati/campaign.sqlite" >"$app/tsim.log" 2>&1 &
    tsim_pid=$!
    local mport oport
    mport="$(port_of "$app/tsim.log" 's/^monitor on \([0-9]*\),.*/\1/p')"
    oport="$(port_of "$app/tsim.log" 's/.*operator server on \([0-9]*\)$/\1/p')"
    extra="PortaMonitor=$mport\r\nPortaOprSvr=$oport\r\nAutoCTMonitor=1\r\n"
  fi
  printf "[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=%s\r\nAutoConnect=1\r\nSimulazione=0\r\nnodb=0\r\ndebug=0\r\n$extra" "$dport" \
    >"$app/conn_quorin.ini"
  "$server" --headless --app-dir "$app" FAST >"$app/server.log" 2>&1 &
  local server_pid=$!
  local status=0
  wait "$dsim_pid" || status=$?
  if [ "$monitor" = 1 ]; then
    wait "$tsim_pid" || status=$?
  fi
  kill -TERM "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
  echo "== $label (${seconds}s, $customers customers)"
  sed -n '2,$p' "$app/dsim.log"
  if [ "$monitor" = 1 ]; then
    tail -n 2 "$app/tsim.log"
    grep -h "Record applicati" "$app/server.log" | tail -n 1 | sed 's/^[^|]*| //'
    local records
    records="$(sed -n 's/.*extension records \([0-9]*\), group records \([0-9]*\).*/\1 \2/p' "$app/tsim.log" | head -1)"
    echo "$records" | awk -v s="$seconds" '{ printf "monitor records sent %d, %.0f a second\n", $1 + $2, ($1 + $2) / s }'
  fi
  sed -n 's/.*outcome latency p50 [0-9.]* ms p99 \([0-9.]*\) ms.*/\1/p' "$app/dsim.log" >"$work/$label.p99"
  [ "$status" -eq 0 ] || { echo "exit status $status" >&2; exit "$status"; }
}

echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -m)"
run dialer-alone 0
run dialer-and-monitor 1
awk -v a="$(cat "$work/dialer-and-monitor.p99")" -v b="$(cat "$work/dialer-alone.p99")" \
  'BEGIN { if (b > 0) printf "outcome p99 with the monitor load: %.2f times the figure without\n", a / b }'
