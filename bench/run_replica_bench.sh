#!/usr/bin/env bash
# The UDP replication under its largest burst: quorin-telephony-sim sends a
# configuration of 200 extensions and 300 groups (105,100 bytes) to one copy
# of the program, which mirrors it, one datagram a byte, at each rate of
# RATES datagrams a second ("ReplicaUDP_DatagrammiAlSecondo") to a second
# copy in a process of its own. Prints, for each rate, the configuration
# packets the replica received whole (110 are sent), the extension rows it
# stored in CT_Monitor (200), its realignment lines and the time taken.
#   RATES="10000 20000 60000 200000 10000000" bash bench/run_replica_bench.sh
# With NETNS=1 (root) the replica runs in a network namespace behind a veth
# pair shaped by a token bucket to LINK, as a copy on another machine of the
# LAN would. A one-byte datagram is 43 bytes on a veth but 84 on Ethernet
# (padding, preamble, gap), so LINK=51mbit plays 100 Mbit/s Ethernet
# (148,800 such frames a second) and LINK=5100kbit plays 10 Mbit/s.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
rates="${RATES:-10000 20000 40000 60000 100000 200000 10000000}"
build="${BUILD_DIR:-$root/build}"
server="$build/src/app/quorin-db-server"
tsim="$build/src/telephony_sim/quorin-telephony-sim"
link="${LINK:-51mbit}"

work="$(mktemp -d)"
cleanup() {
  kill $(jobs -p) 2>/dev/null || true
  wait 2>/dev/null || true
  [ "${NETNS:-0}" = 1 ] && ip netns del qrbench 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
"$server" --create-demo-db "$work/db.sqlite" --customers 10 >/dev/null

replica_ip=127.0.0.1
source_ip=127.0.0.1
in_ns=()
if [ "${NETNS:-0}" = 1 ]; then
  ip netns add qrbench
  ip link add qrb0 type veth peer name qrb1
  ip link set qrb1 netns qrbench
  ip addr add 10.213.0.1/30 dev qrb0
  ip link set qrb0 up
  ip netns exec qrbench ip addr add 10.213.0.2/30 dev qrb1
  ip netns exec qrbench ip link set qrb1 up
  ip netns exec qrbench ip link set lo up
  tc qdisc add dev qrb0 root tbf rate "$link" burst 32kbit latency 20ms
  replica_ip=10.213.0.2
  source_ip=10.213.0.1
  in_ns=(ip netns exec qrbench)
fi

wait_for() { # $1: file, $2: text, $3: tenths of a second
  for _ in $(seq 1 "$3"); do
    grep -q "$2" "$1" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

echo "machine: $(nproc) cores, $(uname -r); replica on ${replica_ip}${NETNS:+ behind $link}"
printf "%10s %9s %6s %14s %8s\n" rate packets rows realignments seconds
port=47000
for rate in $rates; do
  port=$((port + 1))
  app="$work/$rate"
  mkdir -p "$app/replica" "$app/source"
  for side in replica source; do
    cp "$work/db.sqlite" "$app/$side/campaign.sqlite"
    printf "[datiserver]\r\nconnstring=Provider=SQLite;Data Source=campaign.sqlite\r\n" >"$app/$side/tm40.ini"
  done
  "$tsim" --extensions 200 --groups 300 --rate 0 --group-rate 0 >"$app/tsim.log" 2>&1 &
  tsim_pid=$!
  wait_for "$app/tsim.log" "^monitor on" 100 || { echo "the simulator did not start" >&2; exit 1; }
  mport="$(sed -n 's/^monitor on \([0-9]*\),.*/\1/p' "$app/tsim.log")"
  oport="$(sed -n 's/.*operator server on \([0-9]*\),.*/\1/p' "$app/tsim.log")"
  printf "[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=1\r\nAutoCTMonitor=1\r\nAscoltaUDP_Port=%s\r\nAscoltaUDP_Mittente=%s\r\n" \
    "$port" "$source_ip" >"$app/replica/conn_quorin.ini"
  "${in_ns[@]}" "$server" --headless --app-dir "$app/replica" --shared-dir "$app/replica" --root-dir "$app/replica" </dev/null >"$app/replica.log" 2>&1 &
  replica_pid=$!
  wait_for "$app/replica.log" "LED 0 verde" 300 || { echo "the replica did not start: $app/replica.log" >&2; exit 1; }
  printf "[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=1\r\nPortaMonitor=%s\r\nPortaOprSvr=%s\r\nReplicaUDP_IP=%s\r\nReplicaUDP_Port=%s\r\nReplicaUDP_DatagrammiAlSecondo=%s\r\n" \
    "$mport" "$oport" "$replica_ip" "$port" "$rate" >"$app/source/conn_quorin.ini"
  start=$(date +%s.%N)
  "$server" --headless --app-dir "$app/source" --shared-dir "$app/source" --root-dir "$app/source" </dev/null >"$app/source.log" 2>&1 &
  source_pid=$!
  # Done when the replica has every packet, or a while after the burst must have left.
  limit=$(( (105100 / rate + 15) * 10 ))
  for _ in $(seq 1 "$limit"); do
    [ "$(grep -c "Ricevuta Configurazione" "$app/replica.log")" -ge 110 ] && break
    sleep 0.1
  done
  took=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
  sleep 1 # CT_Monitor is written a moment later
  kill -TERM "$source_pid" "$replica_pid" "$tsim_pid" 2>/dev/null || true
  wait "$source_pid" "$replica_pid" "$tsim_pid" 2>/dev/null || true
  packets="$(grep -c "Ricevuta Configurazione" "$app/replica.log" || true)"
  rows="$(sqlite3 "$app/replica/campaign.sqlite" "SELECT count(*) FROM CT_Monitor WHERE length(Interno)=3")"
  realign="$(grep -c "Tento il riallineamento" "$app/replica.log" || true)"
  printf "%10s %5s/110 %2s/200 %14s %8.1f\n" "$rate" "$packets" "$rows" "$realign" "$took"
done
