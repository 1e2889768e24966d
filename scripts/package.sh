#!/usr/bin/env bash
# Builds the station's Debian package (CPack) from the default build and checks
# it: its Debian dependencies, then its contents unpacked into a scratch root
# (files, desktop entry, man pages, the programs run from there).
#   scripts/package.sh            leaves build/rzstation_<version>_<arch>.deb
#   sudo dpkg -i build/rzstation_*.deb && sudo apt-get -f install    to install it
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh
rm -f build/rzstation_*.deb
(cd build && cpack -G DEB >/dev/null)
deb="$(ls build/rzstation_*.deb)"
echo "package: $deb"

depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for needed in libc6 libstdc++6 libqt6widgets6 libqt6svg6; do
  case ", $depends" in
    *", $needed"*) ;;
    *) echo "$deb: Depends lacks $needed" >&2; exit 1 ;;
  esac
done

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch"
scripts/check-install-tree.sh "$scratch"
