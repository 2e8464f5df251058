#!/usr/bin/env bash
# Several programs on one campaign database, each serving its own
# quorin-dialer-sim, as a call centre with one server per dialer runs them.
# Each run starts from a fresh copy of one demo database and checks:
#   - no customer delivered twice while unanswered (a second delivery before
#     the outcome of the first was reported, to any of the dialers);
#   - outcome rows stored = outcomes acknowledged, no outcome row twice.
# Runs (RUNS, in order): "single" one program alone, "multi" INSTANCES
# programs, "kill" the same with the first program killed (SIGKILL) halfway
# and started again; with "single" a short unreported run warms the
# database first, so that the first figure is not the new server's. Prints customers/s and outcomes/s over all dialers and
# the ratio of "multi" and "kill" to "single".
#   BUILD_DIR=build INSTANCES=4 CUSTOMERS=200000 RUN_SECONDS=60 bash scripts/scale_test.sh
# DB=sqlite runs on one SQLite file instead of a throw-away PostgreSQL; the
# two-server reproduction of the same group asked again and again:
#   DB=sqlite INSTANCES=2 RUNS=multi OUTCOMES=0 GROUP=1 QUANTITY=50 RUN_SECONDS=15 bash scripts/scale_test.sh
# PG_FOLDER names the socket folder of a server already running (scripts/pg_test.sh).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
backend="${DB:-pg}"
instances="${INSTANCES:-4}"
customers="${CUSTOMERS:-200000}"
run_seconds="${RUN_SECONDS:-60}"
runs="${RUNS:-single multi kill}"
outcomes="${OUTCOMES:-1}"
group="${GROUP:-0}"
quantity="${QUANTITY:-100}"
server="$build/src/app/quorin-db-server"
sim="$build/src/dialer_sim/quorin-dialer-sim"
# shellcheck source=scripts/pg_server.sh
. "$root/scripts/pg_server.sh"

work="$(mktemp -d /tmp/quorin-scale.XXXXXX)"
pids=()
own_server=0
databases=()
cleanup() {
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  for db in "${databases[@]}"; do "$pg_bin/dropdb" -h "$pg_dir" -p 5432 -U quorin "$db" 2>/dev/null || true; done
  [ "$own_server" = 1 ] && pg_stop && rm -rf "$pg_dir"
  [ "${KEEP_WORK:-0}" = 1 ] && echo "kept $work" >&2 || rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A fresh database for a run, and how to ask it one number.
if [ "$backend" = pg ]; then
  if [ -n "${PG_FOLDER:-}" ]; then
    pg_dir="$PG_FOLDER"
  else
    pg_available || fail "no PostgreSQL server in $pg_bin (package postgresql-15)"
    # A folder of its own: as root the server runs as nobody, who cannot enter $work.
    own_server=1
    pg_start "$(mktemp -d /tmp/quorin-scale-pg.XXXXXX)" || fail "the server did not start"
  fi
  template="quorin_scale_$$"
  databases+=("$template")
  pg_createdb "$template"
  "$server" --create-demo-db "$(pg_connection "$template")" --customers "$customers" >/dev/null || fail "--create-demo-db"
  # Every run starts alike: not during the writes the new tables still owe.
  pg_psql "$template" -c "VACUUM ANALYZE" >/dev/null
  pg_psql "$template" -c "CHECKPOINT" >/dev/null
  fresh() { pg_createdb "${template}_$1" -T "$template" && pg_connection "${template}_$1"; }
  ask() { pg_psql "${template}_$1" -c "$2"; }
else
  "$server" --create-demo-db "$work/demo.sqlite" --customers "$customers" >/dev/null || fail "--create-demo-db"
  fresh() { cp "$work/demo.sqlite" "$work/$1.sqlite" && echo "Provider=SQLite;Data Source=$work/$1.sqlite"; }
  ask() { python3 -c 'import sqlite3, sys; print(sqlite3.connect(sys.argv[1]).execute(sys.argv[2]).fetchone()[0])' \
    "$work/$1.sqlite" "$2"; }
fi

start_program() { # $1: application folder
  "$server" --headless --app-dir "$1" FAST >>"$1/server.log" 2>&1 </dev/null &
  echo $! >"$1/server.pid"
  pids+=("$!")
}

declare -A rate_customers rate_outcomes
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}'; }
run() { # $1: label, $2: programs, $3: 1 to kill the first halfway
  local label="$1" count="$2" kill_one="$3" conn i app port
  [ "$backend" = pg ] && databases+=("${template}_$label")
  conn="$(fresh "$label")"
  local sims=()
  for i in $(seq 1 "$count"); do
    app="$work/$label/$i"
    mkdir -p "$app/dati"
    printf '[datiserver]\r\nconnstring=%s\r\n' "$conn" >"$app/dati/tm40.ini"
    local extra=(--no-releases --journal "$app/journal" --seed "$i" --quantity "$quantity" --operators 140,141,142)
    [ "$outcomes" = 1 ] || extra+=(--no-outcomes)
    [ "$group" = 0 ] || extra+=(--group "$group" --customers-only)
    [ "$kill_one" = 1 ] && extra+=(--wait-restarts)
    : >"$app/sim.log" # there before the simulator starts, for the wait below
    "$sim" --seconds "$run_seconds" "${extra[@]}" >"$app/sim.log" 2>&1 &
    sims+=("$!")
    pids+=("$!")
    for _ in $(seq 1 200); do
      port="$(sed -n 's/^listening on //p' "$app/sim.log")"
      [ -n "$port" ] && break
      sleep 0.05
    done
    [ -n "$port" ] || { cat "$app/sim.log" >&2; fail "$label: simulator $i did not start"; }
    printf '[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=%s\r\nAutoConnect=1\r\nSimulazione=0\r\nnodb=0\r\ndebug=0\r\n' \
      "$port" >"$app/conn_quorin.ini"
    start_program "$app"
  done
  if [ "$kill_one" = 1 ]; then
    sleep "$((run_seconds / 2))"
    kill -KILL "$(cat "$work/$label/1/server.pid")"
    wait "$(cat "$work/$label/1/server.pid")" 2>/dev/null || true
    echo "-- $label: program 1 killed after $((run_seconds / 2)) s, started again" >>"$work/$label/1/server.log"
    start_program "$work/$label/1"
  fi
  local status=0
  for i in "${!sims[@]}"; do
    wait "${sims[$i]}" || { status=$?; echo "simulator $((i + 1)) exit status $status" >&2; }
  done
  for i in $(seq 1 "$count"); do
    kill -TERM "$(cat "$work/$label/$i/server.pid")" 2>/dev/null || true
    wait "$(cat "$work/$label/$i/server.pid")" 2>/dev/null || true
  done
  [ "$status" -eq 0 ] || { tail -5 "$work/$label"/*/sim.log >&2; fail "$label: a simulator failed"; }
  report "$label" "$count"
}

report() { # $1: label, $2: programs
  local label="$1" acked stored twice doubled
  acked="$(cat "$work/$1"/*/sim.log | sed -n 's/.*outcomes acknowledged \([0-9]*\).*/\1/p' | awk '{s += $1} END {print s + 0}')"
  stored="$(ask "$label" "select count(*) from esiti_quorin")"
  twice="$(ask "$label" "select count(*) from (select 1 from esiti_quorin group by id_contatore, prog_quorin, timecall, esito,
    operatore having count(*) > 1) d")"
  doubled="$(python3 "$root/scripts/double_deliveries.py" "$work/$label"/*/journal)"
  rate_customers[$label]="$(cat "$work/$1"/*/sim.log | sed -n 's/.*customers\/s \([0-9.]*\).*/\1/p' | awk '{s += $1} END {printf "%.1f", s}')"
  rate_outcomes[$label]="$(cat "$work/$1"/*/sim.log | sed -n 's/.*outcomes\/s \([0-9.]*\),.*/\1/p' | awk '{s += $1} END {printf "%.1f", s}')"
  echo "== $label: $2 program(s), $run_seconds s, $customers customers on $backend:" \
    "customers/s ${rate_customers[$label]}, outcomes/s ${rate_outcomes[$label]}," \
    "delivered twice while unanswered $doubled, outcome rows $stored for $acked acknowledged, outcome rows twice $twice"
  if [ "$label" = kill ]; then
    echo "program 1: $(grep -h -o 'outcomes reported again after a restart [0-9]*' "$work/$label/1/sim.log" || echo 'no outcome reported again'),"\
      "$(grep -c 'ESITO DUPLICATO' "$work/$label/1/server.log" || true) of them already stored (ESITO DUPLICATO)"
  fi
  [ "$doubled" = 0 ] || fail "$label: $doubled customers delivered twice while unanswered"
  [ "$stored" = "$acked" ] || fail "$label: $stored outcome rows for $acked acknowledged"
  [ "$twice" = 0 ] || fail "$label: $twice outcomes stored twice"
}

if [[ " $runs " == *" single "* ]]; then
  measured="$run_seconds"
  run_seconds=10
  run warmup 1 0 >/dev/null
  run_seconds="$measured"
fi
for r in $runs; do
  case "$r" in
  single) run single 1 0 ;;
  multi) run multi "$instances" 0 ;;
  kill) run kill "$instances" 1 ;;
  *) fail "unknown run $r" ;;
  esac
done
if [ -n "${rate_customers[single]:-}" ]; then
  for r in multi kill; do
    [ -n "${rate_customers[$r]:-}" ] || continue
    echo "$r / single: customers/s $(ratio "${rate_customers[$r]}" "${rate_customers[single]}")," \
      "outcomes/s $(ratio "${rate_outcomes[$r]}" "${rate_outcomes[single]}")"
  done
fi
echo "scale test passed"
