#!/usr/bin/env bash
# Puts each deliberate fault of scripts/mutants.tsv into a copy of the sources,
# one at a time, and runs the tests against it: a fault no test catches is a
# hole in the tests.
#
#   scripts/mutants.sh [--wine] [filter]    (filter: a regular expression over
#                                           "file text", e.g. 'src/hosts|journal')
#
# Each line of the list names a file below the checkout, a piece of text that
# occurs in it exactly once ("\n" for a line break), what to put in its
# place, and (for a file only the
# Windows build compiles) the CTest names of its page's Wine tests. A fault in
# portable code is run against the native tests; one in Windows-only code is
# run against its Wine tests when --wine is given (at most 3 minutes each) and
# is listed as not run otherwise. The last line says "caught N of M" over the
# faults that ran.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
wine=0
if [ "${1:-}" = --wine ]; then wine=1; shift; fi
filter=${1:-}
list="$root/scripts/mutants.tsv"
work="$root/build/mutants"
tree="$work/tree"
log="$work/log"
mkdir -p "$work"

bash "$root/scripts/setup.sh" >/dev/null || { echo "set-up failed"; exit 1; }
# A copy of the checkout as it is (times kept, so rebuilds stay small), so the
# faults never touch the real sources.
rm -rf "$tree" && mkdir -p "$tree"
(cd "$root" && git ls-files -co --exclude-standard -z | tar -cf - --null -T -) | (cd "$tree" && tar -xf -)
# The build may still hold the last fault of an earlier run, compiled from a
# file whose copy now carries its older time: every file the list touches is
# made newer, so it is compiled again.
cut -f1 "$list" | grep -v '^#' | sort -u | while read -r f; do [ -f "$tree/$f" ] && touch "$tree/$f"; done

echo "building the native tests once (no sanitizers, for speed)"
cmake -S "$tree" -B "$work/native" -DCMAKE_BUILD_TYPE=Debug -DTROVA_SANITIZE=OFF >"$log" 2>&1 &&
  cmake --build "$work/native" -j"$(nproc)" --target trova_tests >>"$log" 2>&1 ||
  { tail -30 "$log"; echo "the unchanged sources do not build"; exit 1; }
native_tests() { timeout 600 "$work/native/tests/trova_tests" --gtest_brief=1 >>"$log" 2>&1; }
native_tests || { echo "the native tests fail without any fault; fix that first"; exit 1; }

if [ $wine -eq 1 ]; then
  echo "building the Windows tests once"
  cmake -S "$tree" -B "$work/mingw" -DCMAKE_TOOLCHAIN_FILE="$tree/cmake/mingw-w64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >>"$log" 2>&1 &&
    cmake --build "$work/mingw" -j"$(nproc)" --target trova_wine_tests >>"$log" 2>&1 ||
    { tail -30 "$log"; echo "the Windows build fails"; exit 1; }
  # shellcheck source=wine-env.sh
  source "$root/scripts/wine-env.sh"
  export WINEPREFIX="$work/wine-prefix"
  unset DISPLAY
  trova_wine_prepare || { echo "Wine set-up failed"; exit 1; }
fi

# Replaces the one occurrence of $2 in file $1 by $3; fails when it is not there exactly once.
apply() {
  python3 - "$1" "$2" "$3" <<'PY'
import sys
path, old, new = sys.argv[1], sys.argv[2].replace("\\n", "\n"), sys.argv[3].replace("\\n", "\n")
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(old, new))
PY
}

caught=0
total=0
skipped=0
while IFS=$'\t' read -r file from to tests || [ -n "$file" ]; do
  case "$file" in '' | '#'*) continue ;; esac
  [ -n "$filter" ] && ! [[ "$file $from" =~ $filter ]] && continue
  total=$((total + 1))
  name="$file: $from -> $to"
  echo "=== $name" >>"$log"  # the log then tells which tests caught which fault
  if ! apply "$tree/$file" "$from" "$to"; then
    echo "NOT APPLIED  $name  (the text is not in the file exactly once)"
    continue
  fi
  windows_only=0
  [[ "$file" == src/win32/* || "$file" == *_win32.cpp ]] && windows_only=1
  verdict="missed"
  if [ $windows_only -eq 0 ]; then
    if ! cmake --build "$work/native" -j"$(nproc)" --target trova_tests >>"$log" 2>&1; then
      verdict="does not build"
    elif ! native_tests; then
      verdict="caught"
    fi
  elif [ $wine -eq 1 ] && [ -n "$tests" ]; then
    if ! cmake --build "$work/mingw" -j"$(nproc)" --target trova_wine_tests >>"$log" 2>&1; then
      verdict="does not build"
    elif ! (cd "$work/mingw" && timeout 180 ctest -R "$tests" >>"$log" 2>&1); then
      verdict="caught"
    fi
  else
    verdict="not run (Windows only: --wine)"
    total=$((total - 1))
    skipped=$((skipped + 1))
  fi
  [ "$verdict" = caught ] && caught=$((caught + 1))
  printf '%-8s %s\n' "$verdict" "$name"
  cp "$root/$file" "$tree/$file"
done <"$list"
[ $skipped -gt 0 ] && echo "$skipped Windows-only faults not run (--wine runs them)"
echo "caught $caught of $total"
