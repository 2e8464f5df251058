#!/usr/bin/env bash
# Installs the Debian packages the project builds and runs with, when missing.
# Quick when everything is already in place.
set -euo pipefail

packages=(
  cmake g++ make ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools
  libqt6sql6-sqlite libqt6sql6-odbc libqt6sql6-psql
  postgresql
  unixodbc libsqliteodbc tdsodbc
  libgl-dev
  xvfb xauth
  chromium
  python3 python3-prometheus-client prometheus
  systemd dpkg-dev file lintian git
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
