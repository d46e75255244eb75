#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, in build-fuzz/) and runs each for the
# given number of seconds (default 60), one after the other, starting from
# its seed corpus under fuzz/corpus/. Prints each target's executions and
# crashes; exits 1 when any target crashed. A crash's input is kept under
# build-fuzz/crashes/ (fix the bug, then add the input to the target's corpus).
#
#   scripts/fuzz.sh [SECONDS]
#
# FUZZ_BUILD_DIR chooses the build folder, FUZZ_TARGETS a subset of targets.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "用法: scripts/fuzz.sh [SECONDS]" >&2
  exit 2
fi
build="${FUZZ_BUILD_DIR:-$here/build-fuzz}"
targets=(${FUZZ_TARGETS:-reply_intake price_stock_import shop_search login_result})

# clang and libFuzzer come with the project's packages
fuzzer_lib_present() {
  ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1 ||
    ls /usr/lib/llvm-*/lib/clang/*/lib/x86_64-*/libclang_rt.fuzzer.a >/dev/null 2>&1
}
if ! command -v clang++ >/dev/null 2>&1 || ! fuzzer_lib_present; then
  "$here/scripts/setup.sh"
fi

launcher=()
if command -v ccache >/dev/null 2>&1; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" \
    -DSTOCKSYNC_FUZZ=ON -DSTOCKSYNC_BUILD_TESTS=OFF -DSTOCKSYNC_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target "${targets[@]/#/fuzz_}" -j"${JOBS:-$(nproc)}"

mkdir -p "$build/corpus" "$build/crashes" "$build/logs"
failed=0
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  mkdir -p "$work"
  log="$build/logs/$t.log"
  before=$(find "$build/crashes" -name "$t-*" | wc -l)
  set +e
  # Qt keeps caches of its own for the process: leaks are not looked for
  ASAN_OPTIONS="detect_leaks=0:${ASAN_OPTIONS:-}" \
    "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -print_final_stats=1 -detect_leaks=0 \
    -artifact_prefix="$build/crashes/$t-" "$work" "$here/fuzz/corpus/$t" >"$log" 2>&1
  rc=$?
  set -e
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
  after=$(find "$build/crashes" -name "$t-*" | wc -l)
  crashes=$((after - before))
  if [ "$rc" -ne 0 ] && [ "$crashes" -eq 0 ]; then crashes=1; fi
  printf '%-20s executions %12s   crashes %d\n' "$t" "${runs:-0}" "$crashes"
  if [ "$crashes" -ne 0 ]; then
    failed=1
    echo "  see $log and $build/crashes/$t-*" >&2
  fi
done
exit "$failed"
