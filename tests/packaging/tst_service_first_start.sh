#!/usr/bin/env bash
# A first start on an empty state folder, as the unit runs it: with the
# shipped settings the program stops at once saying what to set; the
# preparing script fills the folder without ever replacing what is there,
# the program reads the site's configuration through the links, and SIGTERM
# ends it cleanly.
# Usage: tst_service_first_start.sh BUILD_DIR CMAKE
source "$(dirname "$0")/common.sh"
build="$1"
cmake="$2"

root="$tmp/root"
DESTDIR="$root" "$cmake" --install "$build" --prefix /usr >/dev/null
unit="$root/usr/lib/systemd/system/quorin-db-server.service"
conf="$root/etc/quorin-db-server"
skel="$root/usr/share/quorin-db-server"
state="$tmp/state"
mkdir "$state" # StateDirectory= creates it empty

mkdir "$tmp/shipped"
check_stops_for_settings "$root" "$tmp/shipped"

# The site's settings: the dialer's address (nobody listens there) and an
# SQLite database in the state folder.
printf '[Settings]\r\nServerIp=127.0.0.1\r\nServerPort=1\r\nAutoConnect=1\r\n' >"$conf/conn_quorin.ini"
printf '[datiserver]\r\nconnstring=Provider=SQLite;Data Source=campaign.sqlite\r\n' >"$conf/tm40.ini"
cp "$conf/conn_quorin.ini" "$tmp/site.ini"

# The unit's own command lines, with the state folder and the programs in the
# temporary root.
prepare_cmd="$(unit_command "$root" ExecStartPre "$state")"
start_cmd="$(unit_command "$root" ExecStart "$state")"
[ -n "$prepare_cmd" ] && [ -n "$start_cmd" ] || fail "no ExecStartPre/ExecStart in $unit"
prepare() { QUORIN_SKEL_DIR="$skel" QUORIN_CONF_DIR="$conf" $prepare_cmd; }

prepare
expect_link() {
    [ -L "$1" ] && [ "$(readlink "$1")" = "$2" ] || fail "$1 should link to $2"
}
for f in conn_quorin.ini SQL_EXT.TXT SQL_OP_EXT.TXT SQL_RIEP_EXT.TXT; do
    expect_link "$state/$f" "$conf/$f"
done
expect_link "$state/dati/tm40.ini" "$conf/tm40.ini"
expect_link "$state/dati/Orderby190.ini" "$conf/Orderby190.ini"
expect_absent "$state/tm40.ini"
for f in web/stileservice.css js/tooltip.js js/snippets.js; do
    [ -f "$state/$f" ] && [ ! -L "$state/$f" ] || fail "$f not copied into the state folder"
done

# Again, after local changes: a missing file comes back, nothing is replaced.
echo "local" >"$state/web/stileservice.css"
rm "$state/SQL_OP_EXT.TXT"
echo "SELECT 1" >"$state/SQL_OP_EXT.TXT"
rm "$state/js/tooltip.js" "$state/dati/tm40.ini"
prepare
[ "$(cat "$state/web/stileservice.css")" = local ] || fail "the preparing script replaced web/stileservice.css"
[ ! -L "$state/SQL_OP_EXT.TXT" ] && [ "$(cat "$state/SQL_OP_EXT.TXT")" = "SELECT 1" ] \
    || fail "the preparing script replaced a local SQL_OP_EXT.TXT"
cmp -s "$state/js/tooltip.js" "$skel/js/tooltip.js" || fail "js/tooltip.js not restored"
expect_link "$state/dati/tm40.ini" "$conf/tm40.ini"

# Without a database the program ends with its message and status 1 (systemd
# starts it again), naming the file in the shared folder of the state folder.
set +e
out="$($start_cmd </dev/null 2>&1)"
rc=$?
set -e
[ $rc -eq 1 ] || { echo "$out"; fail "without a database: exit status $rc, expected 1"; }
grep -q "database file not found: $state/dati/campaign.sqlite" <<<"$out" \
    || { echo "$out"; fail "no message naming $state/dati/campaign.sqlite"; }

"$root/usr/bin/quorin-db-server" --create-demo-db "$state/dati/campaign.sqlite" --customers 20 >/dev/null

# Started as the unit starts it, until the database is open; then SIGTERM.
mkfifo "$tmp/out"
$start_cmd </dev/null >"$tmp/out" 2>"$tmp/err" &
pid=$!
exec 3<"$tmp/out"
opened=0
while IFS= read -r -t 60 line <&3; do
    echo "$line" >>"$tmp/log"
    case "$line" in *"Aperto DB"*) opened=1; break ;; esac
done
kill -TERM "$pid" 2>/dev/null || true
cat <&3 >>"$tmp/log"
set +e
wait "$pid"
rc=$?
set -e
[ $opened -eq 1 ] || { cat "$tmp/log" "$tmp/err"; fail "the database was never opened"; }
[ $rc -eq 0 ] || { cat "$tmp/log" "$tmp/err"; fail "SIGTERM: exit status $rc, expected 0"; }
expect_file "$state/DEBUG.TXT"
# The shipped settings are read, never written back: the service could not.
cmp -s "$conf/conn_quorin.ini" "$tmp/site.ini" || fail "the program rewrote conn_quorin.ini"
echo "first start ok"
