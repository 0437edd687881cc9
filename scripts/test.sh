#!/usr/bin/env bash
# Builds Trova twice and runs every test:
#   1. natively on Linux: page logic and the in-memory platform, with
#      AddressSanitizer and UndefinedBehaviorSanitizer;
#   2. the parsers of outside data fuzzed for 10 s each (scripts/fuzz.sh),
#      every target counting as one test;
#   3. for Windows with MinGW-w64, run under Wine in a fresh prefix on a
#      private Xvfb display: the Win32 backends and the real window.
# Ends with one line "N passed, N failed" over all runs.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

bash "$root/scripts/setup.sh" || { echo "set-up failed"; exit 1; }

logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
status=0

step() { echo; echo "== $*"; }

step "native build"
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug >"$logs/native-cfg" 2>&1 \
  && cmake --build "$root/build/native" -j"$jobs" >"$logs/native-build" 2>&1 \
  || { cat "$logs/native-cfg" "$logs/native-build" 2>/dev/null | tail -60; echo "native build failed"; status=1; }

if [ -x "$root/build/native/tests/trova_tests" ]; then
  step "native tests"
  (cd "$root/build/native" && ctest --output-on-failure -j"$jobs") 2>&1 | tee "$logs/native-ctest" | grep -v -E '^ *([0-9]+/[0-9]+ Test +#[0-9]+: .* Passed|Start +[0-9]+:)'
fi

step "fuzzing the parsers"
bash "$root/scripts/fuzz.sh" 10 2>&1 | tee "$logs/fuzz"

step "Windows build (MinGW-w64)"
cmake -S "$root" -B "$root/build/mingw" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >"$logs/mingw-cfg" 2>&1 \
  && cmake --build "$root/build/mingw" -j"$jobs" >"$logs/mingw-build" 2>&1 \
  || { cat "$logs/mingw-cfg" "$logs/mingw-build" 2>/dev/null | tail -60; echo "Windows build failed"; status=1; }

if [ -f "$root/build/mingw/tests/trova_wine_tests.exe" ]; then
  step "Windows tests under Wine"
  # shellcheck source=wine-env.sh
  source "$root/scripts/wine-env.sh"
  export WINEPREFIX="$root/build/wine-test-prefix"
  export TROVA_WINE_FRESH=1
  unset DISPLAY  # always a private display, whatever the calling shell has
  trova_wine_prepare || { echo "Wine set-up failed"; status=1; }
  (cd "$root/build/mingw" && ctest --output-on-failure) 2>&1 | tee "$logs/wine-ctest"
fi

passed=0
failed=0
for f in "$logs"/native-ctest "$logs"/wine-ctest; do
  [ -f "$f" ] || continue
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$f" | tail -1)
  if [ -z "$line" ]; then status=1; continue; fi
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
done
fuzz_passed=$(grep -cE '^fuzz [a-z_]+: .* passed$' "$logs/fuzz")
fuzz_failed=$(grep -cE '^fuzz [a-z_]+: .* FAILED' "$logs/fuzz")
grep -q '^fuzz: ' "$logs/fuzz" && fuzz_failed=$((fuzz_failed + 1))  # not built, nothing ran
[ $((fuzz_passed + fuzz_failed)) -gt 0 ] || fuzz_failed=1
passed=$((passed + fuzz_passed))
failed=$((failed + fuzz_failed))
[ -f "$logs/native-ctest" ] && [ -f "$logs/wine-ctest" ] || status=1
[ "$failed" -eq 0 ] || status=1
# The project keeps its tests at most a third of its code: the ratio is printed
# with every run so that growth shows. Benchmarks (bench/) and tools (tools/)
# are not tests; generated sources live in the build folders, not here.
lines() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.sh' \) -exec cat {} + | wc -l; }
code_lines=$(lines "$root/src")
test_lines=$(lines "$root/tests")
ratio=$(awk -v t="$test_lines" -v c="$code_lines" 'BEGIN { printf "%.2f", t / c }')
echo
echo "tests $test_lines lines, code $code_lines lines: $ratio"
echo "$passed passed, $failed failed"
exit $status
