#!/usr/bin/env bash
# Installs the Debian 12 packages the grade book needs to build, run and test.
set -euo pipefail
packages=(
  g++ make cmake
  qt6-base-dev qt6-charts-dev libqt6sql6-sqlite libsqlite3-dev sqlite3 libqt6opengl6-dev libgl-dev libglx-dev libegl-dev
  qt6-translations-l10n fonts-noto-cjk
  libbenchmark-dev time
  pkg-config libxlsxwriter-dev libshp-dev libminizip-dev libfreexl-dev
  poppler-utils fonts-droid-fallback
  xvfb xauth imagemagick desktop-file-utils libglib2.0-bin
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
