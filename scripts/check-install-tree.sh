#!/usr/bin/env bash
# Checks an installed tree of the station: exactly the expected files, a valid
# desktop entry, man pages, and the programs answering --help from where they
# were installed.
#   scripts/check-install-tree.sh ROOT                  e.g. a scratch root with usr/ inside
#   scripts/check-install-tree.sh --install BUILD_DIR   cmake --install into a scratch root first
set -euo pipefail
if [ "${1:-}" = "--install" ]; then
  root="$(mktemp -d)"
  trap 'rm -rf "$root"' EXIT
  cmake --install "${2:?usage: $0 --install BUILD_DIR}" --prefix "$root/usr" >/dev/null
else
  root="${1:?usage: $0 ROOT | --install BUILD_DIR}"
fi
prefix="$root/usr"
[ -d "$prefix" ] || prefix="$root"

expected="bin/rzboard-sim
bin/rzstation
bin/rzstation-cli
share/applications/rzstation.desktop
share/icons/hicolor/scalable/apps/rzstation.svg
share/man/man1/rzboard-sim.1.gz
share/man/man1/rzstation-cli.1.gz
share/man/man1/rzstation.1.gz"
programs="rzstation-cli rzboard-sim rzstation"
# The collector is built where libpq is found; with it come its service and options file.
if [ -e "$prefix/bin/rzstation-collect" ]; then
  expected="$(printf '%s\n' "$expected" bin/rzstation-collect lib/systemd/system/rzstation-collect.service \
    share/man/man1/rzstation-collect.1.gz | sort)"
  programs="$programs rzstation-collect"
  [ -f "$prefix/../etc/default/rzstation-collect" ] || { echo "no etc/default/rzstation-collect" >&2; exit 1; }
fi
actual="$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | grep -v '^share/doc/' | sort)"
if [ "$actual" != "$expected" ]; then
  echo "installed files differ from the expected list:" >&2
  diff <(echo "$expected") <(echo "$actual") >&2 || true
  exit 1
fi

desktop-file-validate "$prefix/share/applications/rzstation.desktop"
for page in "$prefix"/share/man/man1/*.1.gz; do
  zcat "$page" | grep -q '^\.SH SYNOPSIS' || { echo "$page: no SYNOPSIS section" >&2; exit 1; }
done
for program in $programs; do
  out="$("$prefix/bin/$program" --help)"
  case "$out" in
    Usage:*) ;;
    *) echo "$prefix/bin/$program --help printed no usage" >&2; exit 1 ;;
  esac
done
echo "install tree $root: $(echo "$expected" | wc -l) files as expected, desktop entry valid, --help answered"
