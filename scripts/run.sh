#!/usr/bin/env bash
# Builds the program and runs it on the demo application folder ./demo,
# created from scripts/demo on first run together with its demo campaign
# database (demo/dati/campaign.sqlite). Extra arguments go to the program.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh"
if [ ! -d "$root/demo" ]; then
  cp -r "$root/scripts/demo" "$root/demo"
  echo "Created the demo application folder $root/demo" >&2
fi
if [ ! -f "$root/demo/dati/campaign.sqlite" ]; then
  "$root/build/src/app/quorin-db-server" --create-demo-db "$root/demo/dati/campaign.sqlite"
fi
exec "$root/build/src/app/quorin-db-server" --app-dir "$root/demo" "$@"
