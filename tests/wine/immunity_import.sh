#!/usr/bin/env bash
# The immunity page's export, read by real clients: the window exports every
# listed control through its save dialog (the gtest ImmunityWindow, run here
# with TROVA_IMMUNITY_EXPORT naming the file), then Wine's own regedit imports
# that file with /s into a prefix made fresh for this check, and reg.exe there
# must show the kill-bit under the key of every control the file lists; then,
# with those keys removed again, reg.exe's own import must do the same.
#
#   tests/wine/immunity_import.sh path/to/trova_wine_tests.exe
#
# Uses the caller's prefix and display for the window (see scripts/wine-env.sh);
# the fresh prefix, its wineserver and the file go again at the end.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 trova_wine_tests.exe" >&2; exit 2; }
tests_exe=$1
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/trova-import.XXXXXX")
fresh="$work/prefix"
finish() {
  if [ -d "$fresh" ]; then
    WINEPREFIX="$fresh" "$WINESERVER" -k 2>/dev/null || true
    WINEPREFIX="$fresh" timeout 30 "$WINESERVER" -w 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap finish EXIT
# shellcheck source-path=SCRIPTDIR source=../../scripts/wine-env.sh
source "$here/../../scripts/wine-env.sh"
trova_wine_vars
trova_wine_display
TROVA_WINE_FRESH=0 trova_wine_prefix
# The fresh prefix's wineserver goes before a display this script started.
trap 'finish; trova_wine_cleanup' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# 1. The export, through the real window and Wine's save dialog.
file="$work/export.reg"
TROVA_IMMUNITY_EXPORT="Z:${file//\//\\}" "$WINE" "$tests_exe" \
  --gtest_filter='ImmunityWindow.*' </dev/null || fail "the export test failed"
[ -s "$file" ] || fail "no export file"

# The CLSIDs the file lists for each browser, once each (the registry folds
# letter case): the 64-bit one's keys, and the 32-bit one's under Wow6432Node.
# shellcheck disable=SC1003  # a registry path, its backslashes meant as they are
key64='[HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer\ActiveX Compatibility\'
key32='[HKEY_LOCAL_MACHINE\SOFTWARE\Wow6432Node\Microsoft\Internet Explorer\ActiveX Compatibility\'
listed() {
  iconv -f GBK -t UTF-8 "$file" | tr -d '\r' \
    | KEY_PREFIX=$1 awk '{ p = ENVIRON["KEY_PREFIX"] }
        index($0, p) == 1 { s = substr($0, length(p) + 1); sub(/\]$/, "", s); print toupper(s) }' | sort -u
}
listed "$key64" > "$work/listed"
listed "$key32" > "$work/listed32"
cmp -s "$work/listed" "$work/listed32" || fail "the two browsers' keys name different controls"
rows=$(( $(grep -c '^\[' "$file") / 2 ))
user_rows=$((rows - 782))
# Eight pairs of catalogue rows share a CLSID, so 774 keys hold the 782 rows.
[ "$user_rows" -ge 1 ] || fail "the export holds $rows rows, no user-defined one"
[ "$(wc -l < "$work/listed")" -eq $((774 + user_rows)) ] \
  || fail "the file lists $(wc -l < "$work/listed") keys, $((774 + user_rows)) expected"

# 2. A prefix that has never seen Trova.
fresh_wine() { WINEPREFIX="$fresh" "$WINE" "$@"; }
fresh_wine wineboot -i </dev/null >/dev/null 2>&1 || fail "wineboot failed"
compat='HKLM\SOFTWARE\Microsoft\Internet Explorer\ActiveX Compatibility'
# The keys holding the kill-bit in one view ("/reg:64" or "/reg:32").
immune_keys() {
  fresh_wine reg query "$compat" /s "$1" </dev/null 2>/dev/null | iconv -f GBK -t UTF-8 | tr -d '\r' \
    | awk '/^HKEY_/ { key = $0; sub(/.*\\/, "", key); key = toupper(key) }
           /^ +Compatibility Flags +REG_DWORD +0x400$/ { print key }' | sort -u
}
[ -z "$(immune_keys /reg:64)$(immune_keys /reg:32)" ] || fail "the fresh prefix already holds kill-bits"

# 3. Each client imports the file; in each browser's view every listed key
# then holds the kill-bit, and nothing else does. The keys go again between.
for client in regedit reg; do
  if [ $client = regedit ]; then
    fresh_wine regedit /s "Z:${file//\//\\}" </dev/null >/dev/null 2>&1 || fail "regedit /s failed"
  else
    for view in /reg:64 /reg:32; do
      fresh_wine reg delete "$compat" /f "$view" </dev/null >/dev/null 2>&1 || fail "reg delete $view failed"
    done
    fresh_wine reg import "Z:${file//\//\\}" </dev/null >/dev/null 2>&1 || fail "reg import failed"
  fi
  for view in /reg:64 /reg:32; do
    immune_keys "$view" > "$work/immune"
    missing=$(comm -23 "$work/listed" "$work/immune")
    extra=$(comm -13 "$work/listed" "$work/immune")
    [ -z "$missing" ] || fail "$client, $view: no kill-bit under: $(echo "$missing" | head -5 | tr '\n' ' ')"
    [ -z "$extra" ] || fail "$client, $view: kill-bits under keys the file does not list: $(echo "$extra" | head -5 | tr '\n' ' ')"
    # The user-defined rows by name, as a user would check them.
    for clsid in '{33333333-AAAA-4BBB-8CCC-000000000001}' $'{33333333-AAAA-4BBB-8CCC-000000000002 %";=\t}'; do
      fresh_wine reg query "$compat\\$clsid" /v 'Compatibility Flags' "$view" </dev/null 2>/dev/null | tr -d '\r' \
        | grep -q 'Compatibility Flags    REG_DWORD    0x400$' || fail "$client, $view: user row $clsid has no kill-bit"
    done
  done
  echo "$client imported $rows rows for both browsers: $(wc -l < "$work/immune") keys hold the kill-bit in each view"
done
