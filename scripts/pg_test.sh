#!/usr/bin/env bash
# The campaign database on PostgreSQL, against a throw-away PostgreSQL 15
# server in a temporary folder (listening only on a socket in that folder):
#   1. the tests that take a connection string (QUORIN_TEST_DB): the campaign
#      tests, among them the whole campaign cycle and a session the server
#      ends, and those of the CT monitor and the status page;
#   2. a load run of the dialer simulator: rows stored = outcomes acknowledged;
#   3. a load run during which the server restarts: the program reports it,
#      acknowledges nothing it did not store, reconnects by itself and goes on;
#   4. short scale runs (scripts/scale_test.sh): two programs asking for one
#      group again and again, then four programs on one database, one killed
#      and started again halfway; no customer delivered twice, every outcome
#      stored once.
# Without a server binary it skips, unless QUORIN_REQUIRE_PG=1 (scripts/test.sh).
#   BUILD_DIR=build LOAD_SECONDS=10 RESTART_SECONDS=20 SCALE_SECONDS=16 bash scripts/pg_test.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
load_seconds="${LOAD_SECONDS:-10}"
restart_seconds="${RESTART_SECONDS:-20}"
server="$build/src/app/quorin-db-server"
sim="$build/src/dialer_sim/quorin-dialer-sim"
# shellcheck source=scripts/pg_server.sh
source "$root/scripts/pg_server.sh"

if ! pg_available; then
  if [ "${QUORIN_REQUIRE_PG:-0}" = 1 ]; then
    echo "FAIL: no PostgreSQL server in $pg_bin (package postgresql-15)" >&2
    exit 1
  fi
  echo "SKIP: no PostgreSQL server in $pg_bin"
  exit 0
fi

work="$(mktemp -d /tmp/quorin-pg.XXXXXX)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  pg_stop
  [ "${KEEP_WORK:-0}" = 1 ] && echo "kept $work" >&2 || rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# Waits (up to $2 seconds) until file $1 has $3 lines matching $4; the
# reader goes on its own at the time-out.
wait_for_lines() {
  [ "$(grep -c -m "$3" -e "$4" < <(timeout "$2" tail -n +1 -F "$1" 2>/dev/null))" -ge "$3" ]
}
now_ms() { date +%s%3N; }

pg_start "$work" || fail "no PostgreSQL server"
createdb() { pg_createdb "$1"; }
connection() { pg_connection "$1"; }
echo "PostgreSQL $("$pg_bin/postgres" --version | awk '{print $3}') in $work"

# 1. The tests on the server, in a time zone other than the server's.
createdb quorin_tests
for t in campaign/tst_campaign_cycle campaign/tst_groups campaign/tst_queue campaign/tst_outcomes campaign/tst_customers campaign/tst_diagnosis \
  campaign/tst_counters ct_monitor/tst_ctmonitorstore ct_monitor/tst_monitor_loopback ct_monitor/tst_monitoractions \
  web_status/tst_webstatus; do
  QUORIN_TEST_DB="$(connection quorin_tests)" TZ=Asia/Kolkata QT_QPA_PLATFORM=offscreen \
    "$build/tests/$t" -silent >"$work/test.log" 2>&1 || { cat "$work/test.log" >&2; fail "$t on PostgreSQL"; }
  grep -m1 '^Totals' "$work/test.log" | sed "s|^|$(basename "$t"): |"
done

# A demo database, and an application folder that uses it against the simulator.
createdb quorin_load
"$server" --create-demo-db "$(connection quorin_load)" --customers 20000 >/dev/null || fail "--create-demo-db on PostgreSQL"
run() { # $1: label, $2: seconds, $3: wait before a request is given up (ms); starts the simulator and the program in $work/$1
  local app="$work/$1"
  mkdir -p "$app/dati"
  printf '[datiserver]\r\nconnstring=%s\r\n' "$(connection quorin_load)" >"$app/dati/tm40.ini"
  "$sim" --seconds "$2" --quantity 100 --operators 140,141,142 --unanswered-ms "$3" \
    --db "$(connection quorin_load)" >"$app/sim.log" 2>&1 &
  sim_pid=$!
  pids+=("$sim_pid")
  wait_for_lines "$app/sim.log" 20 1 '^listening on ' || { cat "$app/sim.log" >&2; fail "the simulator did not start"; }
  local port
  port="$(sed -n 's/^listening on //p' "$app/sim.log")"
  printf '[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=%s\r\nAutoConnect=1\r\nSimulazione=0\r\nnodb=0\r\ndebug=0\r\n' \
    "$port" >"$app/conn_quorin.ini"
  "$server" --headless --app-dir "$app" FAST >"$app/server.log" 2>&1 </dev/null &
  server_pid=$!
  pids+=("$server_pid")
}
finish() { # $1: label; waits for the simulator, stops the program, prints the figures
  local app="$work/$1" status=0
  wait "$sim_pid" || status=$?
  kill -TERM "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
  echo "== $1"
  sed -n '2,5p;/outcome rows stored/p' "$app/sim.log"
  [ "$status" -eq 0 ] || { tail -20 "$app/server.log" >&2; fail "$1: simulator exit status $status"; }
  grep -q '^outcome rows stored \([0-9]*\) for \1 acknowledged' "$app/sim.log" || fail "$1: rows and acknowledgements differ"
}

# 2. A load run.
run load "$load_seconds" 5000
finish load
grep -q 'ERRORE DB' "$work/load/server.log" && { grep -m5 'ERRORE DB' "$work/load/server.log" >&2; fail "load: database errors"; }

# 3. The server restarts in the middle of a load run, once 250 outcomes are acknowledged
#    (halfway through a group's 100 outcomes: an outcome is under way when it goes).
# Requests left unanswered are given up after 1.5 s, so that several meet the outage.
run restart "$restart_seconds" 1500
wait_for_lines "$work/restart/server.log" 60 250 'Invio AckEsito' || fail "restart: no outcomes before the restart"
start="$(now_ms)"
pg_ctl -m fast -w -l "$work/pg.log" restart >/dev/null || fail "the server did not restart"
restarted="$(now_ms)"
wait_for_lines "$work/restart/server.log" 30 1 'DB RICONNESSO' || fail "restart: the program did not reconnect"
back="$(now_ms)"
finish restart
log="$work/restart/server.log"
grep -q "CONNESSIONE DB PERSA" "$log" || fail "restart: the lost connection was not reported"
grep -q "esito non confermato" "$log" || fail "restart: no outcome met the outage"
after="$(sed -n '/DB RICONNESSO/,$p' "$log" | grep -c 'Invio AckEsito' || true)"
[ "$after" -gt 0 ] || fail "restart: no outcome acknowledged after reconnecting"
echo "server restart took $((restarted - start)) ms; the program was back $((back - start)) ms after it began," \
  "$((back - restarted)) ms after the server was ready ($(grep -m1 -o 'DB RICONNESSO dopo [0-9]* ms' "$log"));" \
  "$(grep -c 'nuovo tentativo' "$log") attempts turned away; $(grep -c 'esito non confermato' "$log") outcomes not" \
  "acknowledged for a database error, $after acknowledged after reconnecting"

# 4. Two programs whose dialers ask for 50 customers of group 1 again and
#    again, reporting nothing; then four programs, one killed halfway.
PG_FOLDER="$pg_dir" BUILD_DIR="$build" INSTANCES=2 CUSTOMERS=20000 RUN_SECONDS=8 RUNS=multi OUTCOMES=0 GROUP=1 QUANTITY=50 \
  bash "$root/scripts/scale_test.sh" || fail "two-server reproduction"
PG_FOLDER="$pg_dir" BUILD_DIR="$build" INSTANCES=4 CUSTOMERS=20000 RUN_SECONDS="${SCALE_SECONDS:-16}" RUNS=kill \
  bash "$root/scripts/scale_test.sh" || fail "scale test"
echo "PostgreSQL tests passed"
