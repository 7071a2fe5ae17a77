#!/usr/bin/env bash
# Builds the fuzz targets with clang, replays each seed corpus (every case must pass), then
# fuzzes each target for SECONDS seconds (default 30). New cases go to a scratch folder, not
# into the repository; a crash leaves its input as crash-* in the build folder, and the
# case belongs in corpus/<target>/ once the fault is mended.
#   fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(FuzzRowParser FuzzSolveArguments FuzzSearch FuzzDesign FuzzContactRatio)

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
cmake --build build-fuzz -j2 --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for t in "${targets[@]}"; do
  seeds=fuzz/corpus/$t
  log=build-fuzz/$t.log
  echo "== $t: replaying $(ls "$seeds" | wc -l) seed cases"
  if ! build-fuzz/$t -runs=0 "$seeds" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "$t: a seed case fails" >&2
    exit 1
  fi
  if [ "$seconds" -gt 0 ]; then
    scratch=build-fuzz/scratch/$t
    mkdir -p "$scratch"
    echo "== $t: fuzzing for $seconds s"
    if ! (cd build-fuzz && ./$t -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
            -print_final_stats=1 "../$scratch" "../$seeds" >"$t.log" 2>&1); then
      tail -n 40 "$log"
      echo "$t: fuzzing found a failing case (saved as build-fuzz/crash-* or leak-* or timeout-*)" >&2
      exit 1
    fi
    grep -E "^stat::number_of_executed_units" "$log" || true
  fi
done
