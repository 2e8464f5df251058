#!/usr/bin/env bash
# Load benchmark: SERVERS instances of the server (1 by default), each
# against its own quorin-dialer-sim, all on one demo database, with "FAST"
# and with the original pacing. Prints, per instance and together, outcomes
# acknowledged and customers delivered per second, p50/p99 latency of a
# 100-customer group request and of an outcome, the servers' peak memory and
# the bytes written to files per acknowledged outcome; with several
# instances, the outcome rows stored against the acknowledgements and the
# customers handed to one dialer while another held them.
#   CUSTOMERS=20000 SERVERS=1 FAST_SECONDS=60 PACED_SECONDS=30 bash bench/run_bench.sh
# With CUSTOMERS above 20000 the FAST run is made twice, on 20,000 customers
# and on CUSTOMERS, and the ratio of their group-request p99 is printed (the
# slowest instance's). PACED_SECONDS=0 skips the paced run. The demo
# database is built once per size (the time it took is printed) and copied
# for each run. DB=postgres runs on a throw-away PostgreSQL server instead
# of an SQLite file. SKIP_BUILD=1 takes the programs of BUILD_DIR as they
# are; KEEP_WORK=1 keeps the folder of the runs (logs, journals, databases);
# DEMO_DIR=folder keeps the SQLite demo databases there for the next time.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
customers="${CUSTOMERS:-20000}"
servers="${SERVERS:-1}"
fast_seconds="${FAST_SECONDS:-60}"
paced_seconds="${PACED_SECONDS:-30}"
backend="${DB:-sqlite}"
baseline=20000
build="${BUILD_DIR:-$root/build-release}"

if [ "${SKIP_BUILD:-0}" != 1 ]; then
  bash "$root/scripts/setup.sh"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --parallel 2 --target quorin-db-server quorin-dialer-sim >/dev/null
fi
server="$build/src/app/quorin-db-server"
sim="$build/src/dialer_sim/quorin-dialer-sim"

work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  [ "$backend" = postgres ] && pg_stop
  [ "${KEEP_WORK:-0}" = 1 ] && echo "kept $work" >&2 || rm -rf "$work"
}
trap cleanup EXIT
declare -A group_p99
case "$backend" in
  sqlite) ;;
  postgres)
    # shellcheck source=scripts/pg_server.sh
    source "$root/scripts/pg_server.sh"
    pg_start "$work" || exit 1
    ;;
  *) echo "DB must be sqlite or postgres" >&2; exit 2 ;;
esac

# The master copy of the demo database of $1 customers, built once: a file,
# or a PostgreSQL database used as the template of each run's.
master() {
  if [ "$backend" = postgres ]; then echo "demo_$1"; else echo "${DEMO_DIR:-$work}/db-$1.sqlite"; fi
}
build_database() { # $1: customers
  local target start
  target="$(master "$1")"
  if [ "$backend" = postgres ]; then
    pg_createdb "$target"
    target="$(pg_connection "$target")"
  fi
  [ "$backend" = sqlite ] && [ -f "$target" ] && return
  start="$(date +%s.%N)"
  "$server" --create-demo-db "$target" --customers "$1" >/dev/null
  awk -v s="$start" -v e="$(date +%s.%N)" -v n="$1" 'BEGIN { printf "demo database of %d customers built in %.1f s\n", n, e - s }'
}
# A fresh copy of the master for one run; prints its connection string.
copy_database() { # $1: customers, $2: label
  if [ "$backend" = postgres ]; then
    local name="run_${2//[^A-Za-z0-9]/_}"
    pg_createdb "$name" -T "$(master "$1")"
    pg_connection "$name"
  else
    cp "$(master "$1")" "$work/$2.sqlite"
    echo "Provider=SQLite;Data Source=$work/$2.sqlite"
  fi
}
outcome_rows() { # $1: connection string
  if [ "$backend" = postgres ]; then
    local name="${1##*Database=}"
    pg_psql "${name%%;*}" -c 'select count(*) from esiti_quorin'
  else
    python3 -c 'import sqlite3, sys; print(sqlite3.connect(sys.argv[1]).execute("select count(*) from Esiti_Quorin").fetchone()[0])' \
      "${1##*Data Source=}"
  fi
}

# Customers handed to one dialer while another held them: the journals
# merged in time order (see HoldJournal in src/dialer_sim).
double_deliveries() { # $@: journal files
  local i=0 f
  for f in "$@"; do
    i=$((i + 1))
    awk -v s="$i" '{ print $1, $2, $3, s }' "$f"
  done | sort -k2,2n -S 256M | awk '
    $1 == "R" { n = split(held[$3], h, " "); for (k = 1; k <= n; k++) if (h[k] != $4) { twice++; if (!seen[$3]++) customers++; break }
                held[$3] = held[$3] " " $4 }
    $1 == "C" { sub(" " $4 "( |$)", " ", held[$3]) }
    END { printf "customers handed to one dialer while another held them: %d deliveries, %d customers\n", twice, customers }'
}

run() { # $1: label, $2: customers, $3: seconds, $4...: extra server words
  local label="$1" size="$2" seconds="$3"
  shift 3
  local dir="$work/$label" conn before
  mkdir -p "$dir"
  conn="$(copy_database "$size" "$label")"
  before="$(outcome_rows "$conn")"
  local sim_pids=() server_pids=() journals=() i
  for i in $(seq 1 "$servers"); do
    local app="$dir/s$i"
    cp -r "$root/scripts/demo" "$app"
    printf '[datiserver]\r\nconnstring=%s\r\n' "$conn" >"$app/dati/tm40.ini"
    # One instance alone proves its own outcomes stored; several are counted together below.
    local extra=(--journal "$app/journal")
    [ "$servers" -eq 1 ] && extra=(--db "$conn")
    journals+=("$app/journal")
    "$sim" --seconds "$seconds" --quantity 100 --operators 140,141,142 --seed "$i" "${extra[@]}" >"$app/sim.log" 2>&1 &
    sim_pids+=($!)
    pids+=($!)
    local port=""
    for _ in $(seq 1 100); do
      port="$(sed -n 's/^listening on //p' "$app/sim.log")"
      [ -n "$port" ] && break
      sleep 0.1
    done
    [ -n "$port" ] || { echo "simulator did not start" >&2; cat "$app/sim.log" >&2; exit 1; }
    printf '[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=%s\r\nAutoConnect=1\r\nSimulazione=0\r\nnodb=0\r\ndebug=0\r\n' "$port" >"$app/conn_quorin.ini"
    "$server" --headless --app-dir "$app" "$@" >"$app/server.log" 2>&1 &
    server_pids+=($!)
    pids+=($!)
  done
  local status=0
  for i in "${!sim_pids[@]}"; do
    wait "${sim_pids[$i]}" || status=$?
  done
  echo "== $label ($size customers, ${seconds}s, $servers instance(s), $backend)"
  local worst=0 acked_total=0
  for i in "${!server_pids[@]}"; do
    local app="$dir/s$((i + 1))" pid="${server_pids[$i]}" peak acked written printed p99
    peak="$(awk '/VmHWM/ {print $2 " " $3}' "/proc/$pid/status" 2>/dev/null || echo "?")"
    kill -TERM "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ "$servers" -gt 1 ] && echo "-- instance $((i + 1))"
    sed -n '2,$p' "$app/sim.log"
    echo "server peak memory (VmHWM): $peak"
    # Files the server wrote: DEBUG.TXT, the daily phone-choice logs, the web folder.
    acked="$(sed -n 's/.*outcomes acknowledged \([0-9]*\).*/\1/p' "$app/sim.log" | head -1)"
    acked_total=$((acked_total + ${acked:-0}))
    written="$(find "$app" -maxdepth 2 \( -name 'DEBUG.TXT' -o -name '*.LOG' -o -path "$app/web/*" \) -type f -printf '%s\n' \
      | awk '{s += $1} END {print s + 0}')"
    if [ -n "$acked" ] && [ "$acked" -gt 0 ]; then
      printed="$(stat -c %s "$app/server.log")"
      echo "bytes written to files: $written, per acknowledged outcome: $((written / acked));" \
        "standard output: $printed, per acknowledged outcome: $((printed / acked))"
    fi
    p99="$(sed -n 's/.*group request.*p99 \([0-9.]*\) ms.*/\1/p' "$app/sim.log" | head -1)"
    worst="$(awk -v a="$worst" -v b="${p99:-0}" 'BEGIN { print (b > a ? b : a) }')"
  done
  group_p99[$label]="$worst"
  if [ "$servers" -gt 1 ]; then
    echo "-- together"
    cat "$dir"/s*/sim.log | awk '/outcomes\/s/ { for (k = 1; k < NF; k++) { if ($k == "outcomes/s") o += $(k + 1); if ($k == "customers/s") c += $(k + 1) } }
      END { printf "outcomes/s %.1f, customers/s %.1f\n", o, c }'
    echo "slowest instance's group request p99: $worst ms"
    echo "outcome rows stored $(($(outcome_rows "$conn") - before)) for $acked_total acknowledged"
    double_deliveries "${journals[@]}"
  fi
  [ "$status" -eq 0 ] || { echo "simulator exit status $status" >&2; exit "$status"; }
}

echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(uname -m)"
if [ "$customers" -gt "$baseline" ]; then
  build_database "$baseline"
  build_database "$customers"
  run "FAST-$baseline" "$baseline" "$fast_seconds" FAST
  run "FAST-$customers" "$customers" "$fast_seconds" FAST
  awk -v a="${group_p99[FAST-$customers]}" -v b="${group_p99[FAST-$baseline]}" \
    'BEGIN { if (b > 0) printf "group request p99 ratio, %s to %s customers: %.2f\n", "'"$customers"'", "'"$baseline"'", a / b }'
else
  build_database "$customers"
  run "FAST-$customers" "$customers" "$fast_seconds" FAST
fi
if [ "$paced_seconds" -gt 0 ]; then
  run paced "$customers" "$paced_seconds"
fi
