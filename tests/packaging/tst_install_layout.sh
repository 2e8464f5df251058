#!/usr/bin/env bash
# cmake --install with DESTDIR gives the documented layout, with paths in the
# unit that follow the prefix given at install time.
# Usage: tst_install_layout.sh BUILD_DIR CMAKE
source "$(dirname "$0")/common.sh"
build="$1"
cmake="$2"

DESTDIR="$tmp/usr-root" "$cmake" --install "$build" --prefix /usr >/dev/null
check_layout "$tmp/usr-root" /usr /etc/quorin-db-server
expect_absent "$tmp/usr-root/usr/local"
expect_absent "$tmp/usr-root/usr/etc"

DESTDIR="$tmp/opt-root" "$cmake" --install "$build" --prefix /opt/quorin >/dev/null
check_layout "$tmp/opt-root" /opt/quorin /opt/quorin/etc/quorin-db-server
expect_absent "$tmp/opt-root/etc"
echo "layout ok"
