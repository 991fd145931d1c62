#!/usr/bin/env bash
# Installs the Debian packages Kestrova needs to build, test and run, when any is missing.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-svg-dev libgl-dev libzip-dev libfreexl-dev
          libxlsxwriter-dev libgdal-dev gdal-bin libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth fonts-dejavu-core
          qt6-translations-l10n poppler-utils python3)
packages+=(dpkg-dev file)  # the Debian package (scripts/package.sh): dpkg-shlibdeps, dpkg-buildflags
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
