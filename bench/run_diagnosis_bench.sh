#!/usr/bin/env bash
# The groups request's latency with and without 50 clients asking the metrics
# port for diagnoses in a loop, on a demo database of CUSTOMERS customers.
#   CUSTOMERS=1000000 SECONDS_EACH=30 CLIENTS=50 bash bench/run_diagnosis_bench.sh [SERVER]
# SERVER defaults to the build's quorin-db-server (build it first with the
# project's build); give another binary to compare two versions.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
server="${1:-${BUILD_DIR:-$root/build}/src/app/quorin-db-server}"
customers="${CUSTOMERS:-1000000}"
cache="${DEMO_DB:-${TMPDIR:-/tmp}/quorin-demo-$customers.sqlite}"
if [ ! -f "$cache" ]; then
  "$server" --create-demo-db "$cache.part" --customers "$customers" >/dev/null
  mv "$cache.part" "$cache"
fi
python3 "$root/bench/diagnosis_load.py" --server "$server" --database "$cache" \
  --clients "${CLIENTS:-50}" --seconds "${SECONDS_EACH:-30}"
