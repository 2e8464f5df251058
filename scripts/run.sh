#!/usr/bin/env bash
# Builds the program and runs it on the demo application folder ./demo,
# created from scripts/demo on first run. Extra arguments go to the program.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
bash "$root/scripts/build.sh"
if [ ! -d "$root/demo" ]; then
  cp -r "$root/scripts/demo" "$root/demo"
  echo "Created the demo application folder $root/demo" >&2
fi
exec "$root/build/src/app/quorin-db-server" --app-dir "$root/demo" "$@"
