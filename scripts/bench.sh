#!/usr/bin/env bash
# Builds the Wine benchmarks (bench/*_wine.cpp) with MinGW-w64 and runs
# each under Wine, printing its figures. Not a test: nothing here passes or
# fails on speed.
#
#   scripts/bench.sh [build-dir]        (default build/bench-mingw)
#
# The benchmarks write and delete registry keys, so they run in a prefix of
# their own (build-dir-bench-prefix) on a private Xvfb display, never in one that
# tests or a user's session use.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/bench-mingw}")

log=$(mktemp)
trap 'rm -f "$log"' EXIT
targets=()
for src in "$root"/bench/*_wine.cpp; do
  [ -e "$src" ] && targets+=("$(basename "$src" .cpp)")
done
[ ${#targets[@]} -gt 0 ] || { echo "no Wine benchmarks in bench"; exit 1; }

echo "building ${targets[*]} in $build" >&2
if ! { cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
         -DCMAKE_BUILD_TYPE=Release && cmake --build "$build" -j2 --target "${targets[@]}"; } >"$log" 2>&1; then
  tail -40 "$log"
  echo "build failed" >&2
  exit 1
fi

# shellcheck source-path=SCRIPTDIR source=wine-env.sh
source "$root/scripts/wine-env.sh"
export WINEPREFIX="$build-bench-prefix"
unset DISPLAY
trova_wine_prepare

status=0
for t in "${targets[@]}"; do
  echo
  echo "== $t"
  (cd "$build/bench" && timeout 600 "$WINE" "./$t.exe") </dev/null || { echo "$t failed" >&2; status=1; }
done
exit $status
