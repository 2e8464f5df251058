# A throw-away PostgreSQL 15 server in a folder, listening only on a socket
# in that folder; sourced by scripts/pg_test.sh and bench/run_bench.sh.
#   pg_available            a server binary is installed (package postgresql-15)
#   pg_start DIR            makes and starts it (initdb and the server refuse
#                           root: as root they run as nobody, who owns DIR)
#   pg_ctl ARGS...          pg_ctl on its data folder (restart, stop ...)
#   pg_stop                 stops it at once
#   pg_createdb NAME [ARGS] a database; pg_connection NAME its connection string
#   pg_psql NAME [ARGS]     psql on it, unaligned, tuples only
pg_bin="${PG_BIN:-/usr/lib/postgresql/15/bin}"
pg_dir=""
pg_as=()

pg_available() { [ -x "$pg_bin/postgres" ]; }
pg_ctl() { "${pg_as[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" "$@"; }

pg_start() {
  pg_dir="$1"
  mkdir -p "$pg_dir"
  if [ "$(id -u)" -eq 0 ]; then
    chown nobody: "$pg_dir"
    pg_as=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --)
  fi
  "${pg_as[@]}" "$pg_bin/initdb" -D "$pg_dir/data" -U quorin --auth=trust --no-locale -E UTF8 >"$pg_dir/initdb.log" 2>&1 \
    || { cat "$pg_dir/initdb.log" >&2; echo "initdb failed" >&2; return 1; }
  pg_ctl -w -l "$pg_dir/pg.log" -o "-c listen_addresses='' -k $pg_dir -p 5432" start >/dev/null \
    || { cat "$pg_dir/pg.log" >&2; echo "the PostgreSQL server did not start" >&2; return 1; }
}

pg_stop() {
  [ -z "$pg_dir" ] || pg_ctl -m immediate stop >/dev/null 2>&1 || true
}

pg_createdb() {
  local name="$1"
  shift
  "$pg_bin/createdb" -h "$pg_dir" -p 5432 -U quorin "$@" "$name"
}

pg_connection() { echo "Provider=PostgreSQL;Host=$pg_dir;Port=5432;Database=$1;User Id=quorin"; }

pg_psql() {
  local name="$1"
  shift
  "$pg_bin/psql" -h "$pg_dir" -p 5432 -U quorin -d "$name" -At "$@"
}
