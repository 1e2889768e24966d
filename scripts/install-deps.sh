#!/usr/bin/env bash
# Installs the Debian packages the station needs to build, test and run, when
# they are missing. Safe to run again: it installs nothing that is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config   # tool chain
  libgtest-dev                                   # tests
  qt6-base-dev                                   # the window (Qt Widgets, Qt Test)
  libasound2-dev                                 # tones through ALSA
  nlohmann-json3-dev libtinyxml2-dev libssl-dev  # run records: JSON, JUnit XML, SHA-256
  libqt6svg6                                     # the window's SVG icon
  help2man desktop-file-utils dpkg-dev file      # man pages, desktop entry check, the .deb
  jq                                             # summary of scripts/run-boards.sh
  fonts-dejavu-core                              # the window's monospaced font
  g++-mingw-w64-x86-64-posix googletest          # the Windows build and its tests
  wine64 wine iproute2                           # the Windows tests (Wine, a loopback of their own)
)
if [ "${1:-}" = "--screenshots" ]; then
  packages+=(xvfb xauth imagemagick)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
