#!/usr/bin/env bash
# cpack builds the Debian package from the existing build tree; its control
# fields, maintainer scripts and conffiles are as expected, lintian finds no
# error in it, and once extracted into a temporary root the files are where
# the unit runs them, the unit passes systemd-analyze verify, and the program
# started there with the shipped settings stops saying what to set.
# Usage: tst_deb_package.sh BUILD_DIR CPACK VERSION
source "$(dirname "$0")/common.sh"
build="$1"
cpack="$2"
version="$3"
for tool in dpkg-deb dpkg-shlibdeps lintian; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup.sh installs dpkg-dev and lintian)"
done

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1 \
    || { cat "$tmp/cpack.log"; fail "cpack failed"; }
arch="$(dpkg --print-architecture)"
deb="$tmp/out/quorin-db-server_${version}_${arch}.deb"
expect_file "$deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quorin-db-server ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), expected $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends="$(field Depends)"
echo "Depends: $depends"
# Computed by dpkg-shlibdeps from the binaries, plus the SQL plug-ins and
# adduser that it cannot see.
names="$(echo "$depends" | tr ',' '\n' | sed -E 's/^ +//; s/ .*//')"
for dep in libc6 libstdc++6 libqt6core6 libqt6network6 libqt6sql6 libqt6widgets6 \
           libqt6sql6-sqlite libqt6sql6-odbc adduser; do
    echo "$names" | grep -qxF "$dep" || fail "Depends lacks $dep"
done
echo "$depends" | grep -q "libqt6core6 (>=" || fail "Depends has no computed version for libqt6core6"
# PostgreSQL's Qt driver and SQL Server's ODBC driver, which the documentation names.
recommends="$(field Recommends | tr ',' '\n' | sed -E 's/^ +//; s/ .*//')"
for dep in libqt6sql6-psql tdsodbc; do
    echo "$recommends" | grep -qxF "$dep" || fail "Recommends lacks $dep: $(field Recommends)"
done

# Debian's checks: warnings are printed, an error fails.
set +e
lintian --no-tag-display-limit "$deb" >"$tmp/lintian.log" 2>&1
rc=$?
set -e
cat "$tmp/lintian.log"
[ $rc -le 1 ] || fail "lintian could not check the package (exit $rc)"
if [ $rc -ne 0 ] || grep -q "^E: " "$tmp/lintian.log"; then fail "lintian reports errors"; fi
# The file that may hold a password is not readable by others from the start.
dpkg-deb -c "$deb" | grep -E "^-rw-r----- root/root .* \./etc/quorin-db-server/tm40.ini$" >/dev/null \
    || fail "tm40.ini in the package: $(dpkg-deb -c "$deb" | grep tm40.ini)"

dpkg-deb -e "$deb" "$tmp/control"
for s in postinst prerm postrm; do
    expect_exec "$tmp/control/$s"
    sh -n "$tmp/control/$s" || fail "$s is not valid sh"
done
grep -q "adduser --system" "$tmp/control/postinst" || fail "postinst does not create the user"
grep -q "systemctl disable --now quorin-db-server.service" "$tmp/control/prerm" || fail "prerm does not stop the service"
expected_conffiles="$(printf '/etc/quorin-db-server/%s\n' conn_quorin.ini tm40.ini Orderby190.ini \
    SQL_AUTO_EXT.TXT SQL_CONTAPROB_EXT.TXT SQL_CONTA_EXT.TXT SQL_EXT.TXT SQL_LIBERAGRUPPO_EXT.TXT \
    SQL_LIBERAOPERATORE_EXT.TXT SQL_OP_EXT.TXT SQL_RIEP_EXT.TXT | sort)"
[ "$(sort "$tmp/control/conffiles")" = "$expected_conffiles" ] \
    || fail "conffiles: $(cat "$tmp/control/conffiles")"

# The maintainer scripts with the commands they call recorded instead of
# run: a first install creates the user and the state folders and enables
# nothing; a second finds the user there.
mkdir "$tmp/stubs"
for c in adduser install chgrp chmod systemctl dpkg-statoverride runuser; do
    printf '#!/bin/sh\necho "%s $*" >>"%s"\n' "$c" "$tmp/calls" >"$tmp/stubs/$c"
done
printf '#!/bin/sh\n[ -n "${QUORIN_USER_EXISTS:-}" ]\n' >"$tmp/stubs/getent"
chmod +x "$tmp/stubs"/*
PATH="$tmp/stubs:$PATH" "$tmp/control/postinst" configure ""
grep -qx "adduser --system --group --quiet --home /var/lib/quorin-db-server --no-create-home --gecos Vastel Quorin DB Server quorin" \
    "$tmp/calls" || { cat "$tmp/calls"; fail "postinst: no system user quorin"; }
grep -qx "install -d -o quorin -g quorin -m 0750 /var/lib/quorin-db-server /var/lib/quorin-db-server/dati" "$tmp/calls" \
    || { cat "$tmp/calls"; fail "postinst: no state folder"; }
if grep -q "enable\|start" "$tmp/calls"; then fail "postinst enables or starts the service"; fi
# The application folder is prepared at once, so that --check-config reads the settings before a first start.
grep -qx "runuser -u quorin -- /usr/libexec/quorin-db-server/quorin-db-server-prepare /var/lib/quorin-db-server" "$tmp/calls" \
    || { cat "$tmp/calls"; fail "postinst: the application folder not prepared"; }
: >"$tmp/calls"
QUORIN_USER_EXISTS=1 PATH="$tmp/stubs:$PATH" "$tmp/control/postinst" configure 1.0.0
if grep -q "^adduser" "$tmp/calls"; then fail "postinst adds an existing user again"; fi
PATH="$tmp/stubs:$PATH" "$tmp/control/prerm" upgrade 1.0.0
if grep -q "^systemctl" "$tmp/calls"; then fail "prerm stops the service on upgrade"; fi

root="$tmp/root"
dpkg-deb -x "$deb" "$root"
check_layout "$root" /usr /etc/quorin-db-server
while read -r f; do expect_file "$root$f"; done <"$tmp/control/conffiles"
# Nothing of the build machine inside the package.
if dpkg-deb -c "$deb" | grep -E "\./(usr/local|home|tmp|work)/"; then
    fail "files outside the package layout"
fi
# Stripped, as a package's binaries are.
if file "$root/usr/bin/quorin-db-server" | grep -q "not stripped"; then
    fail "the binary is not stripped"
fi

out="$("$root/usr/bin/quorin-db-server" --help)" || fail "the installed binary's --help failed"
grep -q "^Usage: quorin-db-server" <<<"$out" || fail "unexpected --help: $out"
out="$("$root/usr/bin/quorin-db-server" --version)" || fail "the installed binary's --version failed"
grep -q "^quorin-db-server $version (commit " <<<"$out" || fail "unexpected --version: $out"

verify_unit "$root" "$tmp/quorin-db-server.service"
mkdir "$tmp/state"
check_stops_for_settings "$root" "$tmp/state"
echo "package ok: $(basename "$deb"), $(stat -c %s "$deb") bytes"
