#!/bin/sh
# Runs every fuzz target (fuzz/*Fuzz.cpp) for a while under libFuzzer with
# AddressSanitizer and UBSan, starting from its seed corpus in fuzz/corpus.
#
#   scripts/fuzz.sh                    build build/fuzz, 60 s per target (make fuzz)
#   scripts/fuzz.sh --seconds 5        shorter runs
#   scripts/fuzz.sh --no-build --build-dir DIR --seconds 8
#                                      what the ctest entry fuzz-smoke runs
#
# New inputs that reach new code go to <build dir>/corpus/<target>, never
# into the seed corpus. A failing input is kept as <build dir>/artifacts/...;
# make it a regression: copy it into fuzz/corpus/<target>/ and add a case to
# tests/text/FuzzRegressionTest.cpp.
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
seconds=60
build=1
dir=$repo/build/fuzz
while [ $# -gt 0 ]; do
  case $1 in
    --seconds) seconds=$2; shift 2 ;;
    --no-build) build=0; shift ;;
    --build-dir) dir=$2; shift 2 ;;
    *) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

if [ "$build" = 1 ]; then
  "$repo/scripts/setup.sh"
  cmake -S "$repo/fuzz" -B "$dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$dir" -j2
fi

mkdir -p "$dir/artifacts" "$dir/logs"
failed=""
for source in "$repo"/fuzz/*Fuzz.cpp; do
  name=$(basename "$source" .cpp)
  mkdir -p "$dir/corpus/$name"
  log=$dir/logs/$name.log
  # -max_len bounds the quadratic merges; -timeout catches a loop that never ends.
  if "$dir/$name" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$dir/artifacts/$name-" "$dir/corpus/$name" "$repo/fuzz/corpus/$name" >"$log" 2>&1; then
    runs=$(grep -o 'Done [0-9]* runs' "$log" | tail -1 || true)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 || true)
    echo "fuzz: $name ok (${runs:-no runs}, $cov, ${seconds}s)"
  else
    echo "fuzz: $name FAILED, log $log"
    grep -E 'property broken|ERROR: |SUMMARY|Test unit written' "$log" | head -8 | sed 's/^/  /'
    failed="$failed $name"
  fi
done

if [ -n "$failed" ]; then
  echo "fuzz: failing targets:$failed"
  exit 1
fi
