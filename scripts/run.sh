#!/usr/bin/env bash
# Builds the program and runs it on the demo application folder ./demo,
# created from scripts/demo on first run together with its demo campaign
# database (demo/dati/campaign.sqlite). A telephony simulator plays the
# call centre's telephony server beside it, so the CT monitor has a live
# call centre to follow. Extra arguments go to the program.
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
# Forty extensions and six groups, a few changes a second, and the
# exchange's 120 external lines, on the telephony server's own ports; it
# stops when the program does.
"$root/build/src/telephony_sim/quorin-telephony-sim" --extensions 40 --groups 6 --rate 4 --group-rate 1 \
  --monitor-port 9992 --operator-port 20600 --pbx-port 20250 --pbx-rate 2 >"$root/demo/telephony-sim.log" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
"$root/build/src/app/quorin-db-server" --app-dir "$root/demo" "$@"
