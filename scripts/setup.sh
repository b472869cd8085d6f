#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Safe to run again; works as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6serialport6-dev qt6-serialport-dev
  libgl-dev
  # the service journal: Qt SQL and its SQLite driver (a plugin, not a
  # dependency of the library)
  libqt6sql6-sqlite
  libgtest-dev libgmock-dev
  xvfb xauth imagemagick poppler-utils
  clang libclang-rt-14-dev clang-format
  fonts-liberation
  # Qt's own buttons and dialogs in Dutch and German
  qt6-translations-l10n
  # the install test: desktop entry and AppStream checks, the Debian package
  # (dpkg-shlibdeps computes its dependencies) and lintian on it
  desktop-file-utils appstream dpkg-dev fakeroot lintian
  # the serial device server the network tests and benchmarks put the
  # simulated bus behind
  ser2net
)

if [ "$(id -u)" -eq 0 ]; then
  run() { "$@"; }
elif command -v sudo >/dev/null 2>&1; then
  run() { sudo "$@"; }
else
  echo "setup.sh: run as root or install sudo" >&2
  exit 1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  echo "setup.sh: all packages present"
  exit 0
fi
run apt-get update
run env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
