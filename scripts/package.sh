#!/usr/bin/env bash
# Builds the station's Debian package (CPack) from the default build and checks
# it: its Debian dependencies, then its contents unpacked into a scratch root
# (files, desktop entry, man pages, the programs run from there). Then the
# Windows build and its zip: rzstation.exe (the window) and rzstation-cli.exe
# (stripped; their import tables hold system DLLs only), the README and the
# licence.
#   scripts/package.sh            leaves build/rzstation_<version>_<arch>.deb and
#                                 build-windows/rzstation-<version>-windows-x64.zip
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

# The Windows package.
scripts/build.sh windows
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)"
name="rzstation-$version-windows-x64"
stage="$scratch/$name"
mkdir -p "$stage"
# The window and the command-line station; the build's test programs stay out.
for program in rzstation rzstation-cli; do
  exe="build-windows/bin/$program.exe"
  [ -f "$exe" ] || { echo "package: $exe was not built" >&2; exit 1; }
  x86_64-w64-mingw32-strip -o "$stage/$program.exe" "$exe"
  cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DPROGRAM="$stage/$program.exe" -P cmake/CheckImports.cmake
done
# Windows editors and Notepad want CR LF.
sed 's/$/\r/' README.md > "$stage/README.txt"
if [ -f LICENSE ]; then
  sed 's/$/\r/' LICENSE > "$stage/LICENSE.txt"
else
  echo "warning: no LICENSE file: the Windows package holds no licence" >&2
fi
zip="build-windows/$name.zip"
rm -f "$zip"
(cd "$scratch" && zip -q -X -r "$OLDPWD/$zip" "$name")
echo "package: $zip"
unzip -l "$zip"
