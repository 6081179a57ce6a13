#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and a run need.
# Idempotent: packages already present are left alone; the package lists are
# refreshed once, and only when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git clang-format ccache
  clang libclang-rt-14-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
  libsqlite3-dev sqlite3
  libjpeg62-turbo-dev
  libsane-dev sane-utils libsane1
  libmpv-dev ffmpeg
  libomniorb4-dev omniidl
  libxcb1-dev libx11-xcb-dev
  libzip-dev libpugixml-dev python3-openpyxl
  libdw-dev
  mdbtools-dev
  xvfb xauth x11-utils xdotool
  poppler-utils zbar-tools
  qt6-pdf-dev
  xdg-utils locales
  fonts-dejavu-core
  fonts-liberation qt6-translations-l10n
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  # Through env: sudo drops the caller's environment, and no question may wait on a terminal.
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
