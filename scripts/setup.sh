#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Idempotent: the package lists are refreshed only when something is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite qt6-translations-l10n
  qt6-webengine-dev
  libgl-dev libsqlite3-dev sqlite3
  libcurl4-openssl-dev libssl-dev libpugixml-dev libcpp-httplib-dev
  libgtest-dev libbenchmark-dev
  fonts-noto-cjk xvfb xauth
  curl
  clang-format
  clang libfuzzer-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
