#!/usr/bin/env bash
# Installs the Debian packages the station needs to build, test and run, when
# they are missing. Safe to run again: it installs nothing that is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config   # tool chain
  ccache                                         # rebuilds of unchanged sources
  libgtest-dev                                   # tests
  qt6-base-dev                                   # the window (Qt Widgets, Qt Test)
  qt6-translations-l10n                          # Qt's dialogs and buttons in Russian
  libxcb1-dev                                    # X events: the window destroyed from outside
  libasound2-dev                                 # tones through ALSA
  nlohmann-json3-dev libssl-dev                  # run records: JSON, SHA-256
  libtinyxml2-dev                                # tests: parsing the JUnit report
  libqt6svg6                                     # the window's SVG icon
  help2man desktop-file-utils dpkg-dev file      # man pages, desktop entry check, the .deb
  jq                                             # summary of scripts/run-boards.sh
  libpq-dev postgresql                           # rzstation-collect; its tests start a server of their own
  chromium                                       # tests: HTML report rendered in a headless browser
  fonts-dejavu-core                              # the window's monospaced font
  g++-mingw-w64-x86-64-posix                     # rzstation-cli.exe (scripts/build.sh windows)
  wine64 wine                                    # running the Windows programs on Linux
  zip                                            # the Windows package
  googletest iproute2                            # the Windows tests: GoogleTest's sources, a loopback of their own
)
if [ "${1:-}" = "--screenshots" ]; then
  packages+=(xvfb xauth xdotool imagemagick librsvg2-bin)
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
