#!/usr/bin/env bash
# The HTML report in a real browser: a history of a made-up production, its
# report written as HTML and opened in headless Chromium, which must show the
# same figures as the text report and draw both charts.
#   tests/scripts/report_html_test.sh BIN_DIR
set -euo pipefail
bin="${1:?usage: $0 BIN_DIR}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
browser="$(command -v chromium || command -v chromium-browser || true)"
[ -n "$browser" ] || fail "no chromium (scripts/install-deps.sh installs it)"

"$bin/bench_history" 400 "$work/history" >/dev/null
"$bin/rzstation-cli" report --history "$work/history" --html "$work/report.html" >"$work/report.txt"
summary="$(sed -n 's/^Production report: //p' "$work/report.txt")"
[ -n "$summary" ] || fail "no summary in the text report"

# Nothing is loaded from anywhere: no script, no link, no outside address.
if grep -Eq '<script|<link|src=|url\(|@import' "$work/report.html"; then fail "the page loads something"; fi

chrome() {
  timeout 120 "$browser" --headless --no-sandbox --disable-gpu --no-first-run --user-data-dir="$work/profile" \
    "$@" "file://$work/report.html" 2>>"$work/browser.log"
}
chrome --dump-dom >"$work/dom.html" || fail "chromium: $(tail -3 "$work/browser.log")"
grep -qF "$summary" "$work/dom.html" || fail "the page does not show: $summary"
[ "$(grep -c '<svg' "$work/dom.html")" -eq 2 ] || fail "two charts expected"
days="$("$bin/rzstation-cli" report --history "$work/history" --csv days | tail -n +2 | cut -d, -f2 | sort -u | wc -l)"
[ "$(grep -c 'class="bar"' "$work/dom.html")" -ge "$days" ] || fail "fewer bars than days ($days)"

(cd "$work" && chrome --screenshot="$work/report.png" --window-size=1000,1400 >/dev/null) ||
  fail "chromium screenshot: $(tail -3 "$work/browser.log")"
# The PNG's own header: its width and height, and enough bytes for a drawn page.
size="$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(); print(*struct.unpack(">II", d[16:24]), len(d))' "$work/report.png")"
read -r width height bytes <<<"$size"
[ "$width" -eq 1000 ] && [ "$height" -eq 1400 ] || fail "screenshot is ${width}x${height}"
[ "$bytes" -gt 20000 ] || fail "screenshot of $bytes bytes: a blank page?"
echo "report.html rendered: ${width}x${height}, $bytes bytes; $summary"
