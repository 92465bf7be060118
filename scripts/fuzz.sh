#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer) in build-fuzz/ and runs each for a bounded time
# over its seed corpus in tests/fuzz/corpus/<target>/. Fails on any finding;
# the input that caused it is left in build-fuzz/findings/<target>/.
# Usage: scripts/fuzz.sh [seconds per target] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
shift || true
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  targets=(radiance_header_fuzz picture_load_fuzz profile_fuzz config_fuzz
           language_file_fuzz colour_fuzz file_name_mask_fuzz)
fi

build="${ORVEX_FUZZ_BUILD:-build-fuzz}"
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVEX_BUILD_FUZZ=ON -DORVEX_BUILD_TESTS=OFF -DORVEX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$(pwd)/.ci/lsan.supp"

failed=0
for target in "${targets[@]}"; do
  seeds="tests/fuzz/corpus/${target%_fuzz}"
  work="$build/corpus/${target%_fuzz}"
  findings="$build/findings/${target%_fuzz}"
  mkdir -p "$work" "$findings"
  echo "== fuzzing $target for ${seconds}s"
  # The seed corpus is read, never written: new inputs go to the work corpus.
  if ! "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2560 \
      -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" \
      "$work" "$seeds" 2>"$build/$target.log"; then
    tail -n 60 "$build/$target.log"
    echo "!! $target: finding in $findings/"
    failed=1
  else
    grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$build/$target.log" || true
  fi
done
exit "$failed"
