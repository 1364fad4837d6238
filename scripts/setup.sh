#!/usr/bin/env bash
# Installs the Debian packages that building, testing and the demo need, when missing.
# Works as root or through sudo; does nothing when everything is there.
set -euo pipefail

packages=(g++ cmake make ninja-build libgtest-dev libgmock-dev qt6-base-dev libgl-dev libx11-dev
          xvfb x11-utils xdotool imagemagick fonts-liberation fonts-dejavu-core clang
          pkg-config libsodium-dev
          qt6-translations-l10n
          lintian desktop-file-utils dpkg-dev libxml2-utils systemd
          libpq-dev postgresql postgresql-contrib
          libqt6sql6-sqlite libqt6sql6-psql qt6-charts-dev libqt6opengl6-dev
          sqlite3 libsqlite3-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
