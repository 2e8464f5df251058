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
    for f in conn_quorin.ini tm40.ini Orderby190.ini SQL_EXT.TXT SQL_OP_EXT.TXT SQL_CONTA_EXT.TXT SQL_AUTO_EXT.TXT \
             SQL_LIBERAGRUPPO_EXT.TXT SQL_LIBERAOPERATORE_EXT.TXT SQL_RIEP_EXT.TXT SQL_CONTAPROB_EXT.TXT; do
        expect_file "$root$conf/$f"
    done
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
