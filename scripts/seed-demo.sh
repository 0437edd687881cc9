#!/usr/bin/env bash
# Seeds the Wine prefix in WINEPREFIX once with the demo add-ons, startup items,
# programs and hosts lines. Expects the environment of wine-env.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
[ -n "${WINEPREFIX:-}" ] && [ -n "${WINE:-}" ] || { echo "seed-demo: source wine-env.sh first" >&2; exit 1; }
# Again whenever the demo data changed since the prefix was seeded.
[ "$WINEPREFIX/.trova-demo" -nt "$root/demo/demo.reg" ] && exit 0
# regedit reads a .reg file as UTF-16 with a byte-order mark.
reg="$WINEPREFIX/drive_c/demo.reg"
{ printf '\xff\xfe'; sed 's/$/\r/' "$root/demo/demo.reg" | iconv -f UTF-8 -t UTF-16LE; } >"$reg"
"$WINE" regedit /s 'C:\demo.reg'
hosts="$WINEPREFIX/drive_c/windows/system32/drivers/etc/hosts"
mkdir -p "$(dirname "$hosts")"
grep -q 'ad.example.com' "$hosts" 2>/dev/null ||
  printf '127.0.0.1 ad.example.com\r\n127.0.0.1 tracker.example.net\r\n127.0.0.1 popup.example.org\r\n' >>"$hosts"
touch "$WINEPREFIX/.trova-demo"
