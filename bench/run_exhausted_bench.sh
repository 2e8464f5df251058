#!/usr/bin/env bash
# A group with nobody left to send: every customer of group 1 of a demo
# database of CUSTOMERS customers marked sent, then the program (FAST)
# against quorin-dialer-sim asking for 100 customers of that group again and
# again for RUN_SECONDS; prints the simulator's figures, the empty answers'
# p50 / p99 among them.
#   CUSTOMERS=1000000 RUN_SECONDS=10 DB=sqlite bash bench/run_exhausted_bench.sh [SERVER]
# SERVER defaults to the build's quorin-db-server; give another binary to
# compare two versions (the simulator and the demo database are the build's).
# DB=postgres runs on a throw-away PostgreSQL server (scripts/pg_server.sh).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${BUILD_DIR:-$root/build}"
server="${1:-$build/src/app/quorin-db-server}"
sim="$build/src/dialer_sim/quorin-dialer-sim"
customers="${CUSTOMERS:-1000000}"
seconds="${RUN_SECONDS:-10}"
backend="${DB:-sqlite}"
exhaust="UPDATE [tabella pratiche] SET FlagQuorin=1 WHERE [codice esattore] IN (SELECT CODESATTORE FROM GRUPPI_ESATTORE WHERE GRUPPO=1)"

work="$(mktemp -d)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -TERM "$pid" 2>/dev/null || true; done
  [ "$backend" = postgres ] && pg_stop && rm -rf "$pg_folder"
  rm -rf "$work"
}
trap cleanup EXIT
case "$backend" in
  sqlite)
    conn="Provider=SQLite;Data Source=$work/demo.sqlite"
    "$build/src/app/quorin-db-server" --create-demo-db "$work/demo.sqlite" --customers "$customers" >/dev/null
    python3 -c 'import sqlite3, sys; c = sqlite3.connect(sys.argv[1]); c.execute(sys.argv[2]); c.commit()' \
      "$work/demo.sqlite" "$exhaust"
    ;;
  postgres)
    # shellcheck source=scripts/pg_server.sh
    source "$root/scripts/pg_server.sh"
    # A folder of its own: as root the server runs as nobody, who cannot enter $work.
    pg_folder="$(mktemp -d)"
    pg_start "$pg_folder" || exit 1
    pg_createdb demo
    conn="$(pg_connection demo)"
    "$build/src/app/quorin-db-server" --create-demo-db "$conn" --customers "$customers" >/dev/null
    pg_psql demo -c "${exhaust//[\[\]]/\"}" >/dev/null
    pg_psql demo -c "VACUUM ANALYZE" >/dev/null
    ;;
  *) echo "DB must be sqlite or postgres" >&2; exit 2 ;;
esac

# No templates: the built-in statements, and no reset of the customers sent at start.
app="$work/app"
mkdir -p "$app/dati"
printf '[datiserver]\r\nconnstring=%s\r\n' "$conn" >"$app/dati/tm40.ini"
: >"$app/sim.log" # there before the simulator starts, for the wait below
"$sim" --seconds "$seconds" --quantity 100 --group 1 --customers-only --no-outcomes >"$app/sim.log" 2>&1 &
sim_pid=$!
pids+=("$sim_pid")
port=""
for _ in $(seq 1 100); do
  port="$(sed -n 's/^listening on //p' "$app/sim.log")"
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { cat "$app/sim.log" >&2; exit 1; }
printf '[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=%s\r\nAutoConnect=1\r\nSimulazione=0\r\nnodb=0\r\ndebug=0\r\n' "$port" \
  >"$app/conn_quorin.ini"
"$server" --headless --app-dir "$app" FAST >"$app/server.log" 2>&1 &
pids+=($!)
wait "$sim_pid"
echo "== group 1 exhausted, $customers customers, ${seconds}s, $backend, $server"
sed -n '2,$p' "$app/sim.log"
