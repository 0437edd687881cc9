#!/usr/bin/env bash
# Takes a screenshot of every page of the real window under Wine, on a private
# display, with the demo data of scripts/run.sh; PNG files go to build/shots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build/mingw" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/mingw" --target trova_screenshots -j"$(nproc)" >/dev/null

# shellcheck source=wine-env.sh
source "$root/scripts/wine-env.sh"
export WINEPREFIX="$root/build/wine-demo-prefix"
unset DISPLAY
trova_wine_prepare
bash "$root/scripts/seed-demo.sh"

out="$root/build/shots"
rm -rf "$out"
mkdir -p "$out"
"$WINE" "$root/build/mingw/tools/trova_screenshots.exe" "Z:${out//\//\\}"
for f in "$out"/*.bmp; do convert "$f" "${f%.bmp}.png" && rm -f "$f"; done
ls "$out"
