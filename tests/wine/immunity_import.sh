#!/usr/bin/env bash
# The immunity page's export read by real clients: the ImmunityWindow test saves
# it through the save dialog to $TROVA_IMMUNITY_EXPORT; in a prefix made fresh
# for this check, Wine's regedit /s and then (the keys gone again) reg import
# must each leave the kill-bit under every key the file lists, in both browsers'
# views, and under no other.   usage: immunity_import.sh trova_wine_tests.exe
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 trova_wine_tests.exe" >&2; exit 2; }
work=$(mktemp -d "${TMPDIR:-/tmp}/trova-import.XXXXXX")
fresh=$work/prefix file=$work/export.reg winfile="Z:${work//\//\\}\\export.reg"
# shellcheck source-path=SCRIPTDIR source=../../scripts/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
trova_wine_vars
# The fresh prefix's wineserver goes before a display this script started.
finish() {
  [ ! -d "$fresh" ] || { WINEPREFIX=$fresh "$WINESERVER" -k; WINEPREFIX=$fresh timeout 30 "$WINESERVER" -w; } 2>/dev/null || true
  rm -rf "$work"; trova_wine_cleanup
}
trap finish EXIT
TROVA_WINE_TRAP_SET=1 trova_wine_display
TROVA_WINE_FRESH=0 trova_wine_prefix
fail() { echo "FAIL: $*" >&2; exit 1; }
fresh_wine() { WINEPREFIX=$fresh "$WINE" "$@" </dev/null 2>/dev/null; }
TROVA_IMMUNITY_EXPORT=$winfile "$WINE" "$1" --gtest_filter='ImmunityWindow.*' </dev/null || fail "the export test failed"
[ -s "$file" ] || fail "no export file"
# The controls the file lists under a browser's key, upper case as the registry folds it.
compat='SOFTWARE\Microsoft\Internet Explorer\ActiveX Compatibility'
listed() {
  iconv -f GBK -t UTF-8 "$file" | tr -d '\r' | KEY="[HKEY_LOCAL_MACHINE\\$1\\" awk '{ k = ENVIRON["KEY"] }
    index($0, k) == 1 { s = substr($0, length(k) + 1); sub(/\]$/, "", s); print toupper(s) }' | sort -u
}
listed "$compat" > "$work/listed"
listed 'SOFTWARE\Wow6432Node\Microsoft\Internet Explorer\ActiveX Compatibility' | cmp -s "$work/listed" - \
  || fail "the two browsers' keys name different controls"
# 782 catalogue rows (eight pairs share a CLSID: 774 keys) and the user-defined ones.
users=$(( $(grep -c '^\[' "$file") / 2 - 782 ))
[ "$users" -ge 1 ] || fail "no user-defined row exported"
[ "$(wc -l < "$work/listed")" -eq $((774 + users)) ] || fail "$(wc -l < "$work/listed") keys listed, $((774 + users)) expected"
fresh_wine wineboot -i >/dev/null || fail "wineboot failed"
immune_keys() {  # the keys holding the kill-bit in one view
  fresh_wine reg query "HKLM\\$compat" /s "$1" | iconv -f GBK -t UTF-8 | tr -d '\r' \
    | awk '/^HKEY_/ { key = $0; sub(/.*\\/, "", key); key = toupper(key) }
           /^ +Compatibility Flags +REG_DWORD +0x400$/ { print key }' | sort -u
}
[ -z "$(immune_keys /reg:64)$(immune_keys /reg:32)" ] || fail "the fresh prefix already holds kill-bits"
for client in regedit reg; do
  if [ $client = regedit ]; then fresh_wine regedit /s "$winfile" || fail "regedit /s failed"
  else for view in /reg:64 /reg:32; do fresh_wine reg delete "HKLM\\$compat" /f $view >/dev/null || fail "reg delete $view"; done
    fresh_wine reg import "$winfile" >/dev/null || fail "reg import failed"; fi
  for view in /reg:64 /reg:32; do
    immune_keys $view > "$work/immune" || true
    diff "$work/listed" "$work/immune" > "$work/diff" || { head -5 "$work/diff" >&2; fail "$client, $view: kill-bits (>) differ from the keys listed (<)"; }
    # The user-defined rows by name, as a user would check them.
    for clsid in '{33333333-AAAA-4BBB-8CCC-000000000001}' $'{33333333-AAAA-4BBB-8CCC-000000000002 %";=\t}'; do
      fresh_wine reg query "HKLM\\$compat\\$clsid" /v 'Compatibility Flags' $view | tr -d '\r' \
        | grep -q 'Compatibility Flags    REG_DWORD    0x400$' || fail "$client, $view: no kill-bit for $clsid"
    done
  done
  echo "$client: the kill-bit under all $((774 + users)) keys in both views"
done
