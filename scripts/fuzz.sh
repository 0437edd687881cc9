#!/usr/bin/env bash
# Builds the parser fuzz targets (tests/fuzz/*_fuzz.cpp) with clang, libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer into build/fuzz, and runs each
# for the given seconds (default 10) on a copy of its seed corpus
# (tests/fuzz/corpus/<target>/), two at a time. Prints one line per target:
#   fuzz <target>: <executions> runs, passed
#   fuzz <target>: <executions> runs, FAILED (crash input: <file>)
# and ends non-zero when the build fails or any target crashed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
out="$root/build/fuzz"
clang=$(command -v clang++-14 || command -v clang++) || { echo "fuzz: clang++ not found"; exit 2; }

cmake -S "$root/tests/fuzz" -B "$out" -DCMAKE_CXX_COMPILER="$clang" -DCMAKE_BUILD_TYPE= >"$out.cfg.log" 2>&1 \
  && cmake --build "$out" -j2 >"$out.build.log" 2>&1 \
  || { tail -40 "$out.cfg.log" "$out.build.log" 2>/dev/null; echo "fuzz: build failed"; exit 2; }

targets=()
for src in "$root"/tests/fuzz/*_fuzz.cpp; do targets+=("$(basename "$src" .cpp)"); done

run() {  # target: fuzz it on the work corpus, which keeps what it finds between local runs
  local t=$1 corpus="$out/corpus/$1"
  mkdir -p "$corpus" "$out/crashes"
  cp -n "$root/tests/fuzz/corpus/${t%_fuzz}"/* "$corpus"/ 2>/dev/null
  # The sanitizers' own leak and UB reports end the run like a crash.
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$out/$t" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$out/crashes/$t-" "$corpus" >"$out/$t.log" 2>&1
}
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  run "${targets[i]}" & first=$!
  [ $((i + 1)) -lt ${#targets[@]} ] && run "${targets[i + 1]}"
  wait "$first"
done

status=0
for t in "${targets[@]}"; do
  runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$out/$t.log" | grep -oE '[0-9]+$')
  crash=$(grep -oE 'Test unit written to [^ ]+' "$out/$t.log" | tail -1 | sed 's/Test unit written to //')
  if [ -n "$runs" ] && [ -z "$crash" ]; then
    echo "fuzz ${t%_fuzz}: $runs runs, passed"
  else
    echo "fuzz ${t%_fuzz}: ${runs:-?} runs, FAILED (crash input: ${crash:-none}; log: $out/$t.log)"
    grep -m1 -E 'ERROR:|runtime error|check failed' "$out/$t.log"
    status=1
  fi
done
exit $status
