# Shared by the packaging tests: a temporary folder removed at exit, and
# failures that say what was expected.
set -euo pipefail
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

expect_file() { [ -f "$1" ] || fail "missing file $1"; }
expect_exec() { [ -f "$1" ] && [ -x "$1" ] || fail "missing executable $1"; }
expect_absent() { [ ! -e "$1" ] || fail "unexpected $1"; }

# The absolute paths the unit's Exec lines run, one a line.
unit_exec_paths() {
    sed -nE 's/^Exec[A-Za-z]*=[-+!@:]*([^ ]+).*/\1/p' "$1"
}

# The files of the installed layout below prefix $2 in root $1, the unit included.
check_layout() {
    local root="$1" prefix="$2" conf="$3"
    expect_exec "$root$prefix/bin/quorin-db-server"
    for f in quorin-dialer-sim quorin-telephony-sim quorin-db-server-prepare; do
        expect_exec "$root$prefix/libexec/quorin-db-server/$f"
        expect_absent "$root$prefix/bin/$f"
    done
    local skel="$root$prefix/share/quorin-db-server"
    for f in conn_quorin.ini SQL_EXT.TXT SQL_OP_EXT.TXT SQL_RIEP_EXT.TXT dati/tm40.ini dati/Orderby190.ini \
             web/stileservice.css js/tooltip.js js/snippets.js; do
        expect_file "$skel/$f"
    done
    expect_file "$root$prefix/share/doc/quorin-db-server/README.md"
    expect_file "$root$prefix/share/doc/quorin-db-server/dialer-protocol.md"
    expect_file "$root$prefix/share/doc/quorin-db-server/copyright"
    expect_file "$root$prefix/share/man/man1/quorin-db-server.1.gz"
    zcat "$root$prefix/share/man/man1/quorin-db-server.1.gz" | grep -q "^\.TH QUORIN-DB-SERVER 1" || fail "not the manual page"
    for f in conn_quorin.ini tm40.ini Orderby190.ini SQL_EXT.TXT SQL_OP_EXT.TXT SQL_CONTA_EXT.TXT SQL_AUTO_EXT.TXT \
             SQL_LIBERAGRUPPO_EXT.TXT SQL_LIBERAOPERATORE_EXT.TXT SQL_RIEP_EXT.TXT SQL_CONTAPROB_EXT.TXT; do
        expect_file "$root$conf/$f"
    done
    check_shipped_settings "$root$conf" "$skel"
    local unit="$root$prefix/lib/systemd/system/quorin-db-server.service"
    expect_file "$unit"
    # Every program the unit runs is where the installation put it.
    local paths
    paths="$(unit_exec_paths "$unit")"
    [ "$(echo "$paths" | wc -l)" -eq 2 ] || fail "expected ExecStartPre and ExecStart in $unit, got: $paths"
    for p in $paths; do
        case "$p" in "$prefix"/*) ;; *) fail "$unit runs $p, outside $prefix" ;; esac
        expect_exec "$root$p"
    done
    grep -qx "ExecStart=$prefix/bin/quorin-db-server --headless --app-dir /var/lib/quorin-db-server" "$unit" \
        || fail "unexpected ExecStart in $unit"
    grep -q "quorin-db-server-prepare /var/lib/quorin-db-server$" "$unit" || fail "no preparing step in $unit"
    # The preparing script links the configuration from the installed folder.
    grep -qx "conf=\"\${QUORIN_CONF_DIR:-$conf}\"" "$root$prefix/libexec/quorin-db-server/quorin-db-server-prepare" \
        || fail "preparing script does not read $conf"
}

# The settings in /etc are shaped for production: no emulator, no dialer,
# monitor and PBX off, no connection string, no statement run by itself;
# the only one that may hold a password is readable by its group only. The
# demo's stay in the skeleton $2.
check_shipped_settings() {
    local conf="$1" skel="$2" key
    ini() { tr -d '\r' <"$1" | sed -n "s/^$2=//p"; }
    for key in ServerIp ServerPort; do
        [ -z "$(ini "$conf/conn_quorin.ini" $key)" ] || fail "conn_quorin.ini ships $key=$(ini "$conf/conn_quorin.ini" $key)"
    done
    for key in Simulazione AutoCTMonitor AutoPBX; do
        [ "$(ini "$conf/conn_quorin.ini" $key)" = 0 ] || fail "conn_quorin.ini ships $key=$(ini "$conf/conn_quorin.ini" $key)"
    done
    [ "$(ini "$conf/conn_quorin.ini" AutoConnect)" = 1 ] || fail "conn_quorin.ini: the service would never connect"
    [ -z "$(ini "$conf/tm40.ini" connstring)" ] || fail "tm40.ini ships a connection string"
    if tr -d '\r' <"$conf/SQL_AUTO_EXT.TXT" | grep -qv '^ *;'; then fail "SQL_AUTO_EXT.TXT ships a statement"; fi
    [ "$(stat -c %a "$conf/tm40.ini")" = 640 ] || fail "tm40.ini is $(stat -c %a "$conf/tm40.ini"), expected 640"
    [ "$(ini "$skel/conn_quorin.ini" Simulazione)" = 1 ] || fail "the demo settings are not in $skel"
}

# The unit's command line for key $2 (ExecStartPre, ExecStart) as it runs
# from root $1, with the state folder $3 instead of /var/lib's.
unit_command() {
    local root="$1" key="$2" state="$3"
    sed -n "s/^$key=//p" "$root/usr/lib/systemd/system/quorin-db-server.service" \
        | sed "s#/var/lib/quorin-db-server#$state#g; s#^/#$root/#"
}

# Prepares the empty state folder $2 and starts the program of root $1 as
# the unit does, with its shipped settings: it stops at once, exit status
# 1, with one message on standard error naming what to set and where, and
# has neither opened nor written anything.
check_stops_for_settings() {
    local root="$1" state="$2" conf="$1/etc/quorin-db-server" rc out
    QUORIN_SKEL_DIR="$root/usr/share/quorin-db-server" QUORIN_CONF_DIR="$conf" $(unit_command "$root" ExecStartPre "$state")
    set +e
    $(unit_command "$root" ExecStart "$state") </dev/null >"$state.out" 2>"$state.err"
    rc=$?
    set -e
    [ $rc -eq 1 ] || { cat "$state.out" "$state.err"; fail "shipped settings: exit status $rc, expected 1"; }
    local expected="Dati Server mancanti: impostare ServerIp e ServerPort (sezione [Settings] di $conf/conn_quorin.ini), connstring (sezione [datiserver] di $conf/tm40.ini)"
    [ "$(cat "$state.err")" = "$expected" ] || { cat "$state.err"; fail "shipped settings: not the expected message"; }
    for f in DEBUG.TXT web/richieste.htm dati/campaign.sqlite; do expect_absent "$state/$f"; done
    if grep -q "APRO DB\|LEGGO PREFERENZE" "$state.out"; then fail "shipped settings: the program went on reading"; fi
}

# systemd-analyze verify passes the unit of root $1 without a word about it;
# the unit, its Exec lines pointed into the root (verify checks that the
# programs exist), is left in $2.
verify_unit() {
    local root="$1" unit="$2" out rc p
    command -v systemd-analyze >/dev/null || fail "systemd-analyze is not installed (scripts/setup.sh installs systemd)"
    sed -E "s#^(Exec[A-Za-z]*=[-+!@:]*)/#\\1$root/#" "$root/usr/lib/systemd/system/quorin-db-server.service" >"$unit"
    for p in $(unit_exec_paths "$unit"); do expect_exec "$p"; done
    set +e
    out="$(systemd-analyze verify --man=no "$unit" 2>&1)"
    rc=$?
    set -e
    echo "$out"
    [ $rc -eq 0 ] || fail "systemd-analyze verify exited with $rc"
    # Lines about other units are the host's business; any about this one is
    # a real problem (unknown key, bad value, missing program).
    if grep -q "quorin-db-server" <<<"$out"; then
        fail "systemd-analyze verify warns about the unit"
    fi
}
