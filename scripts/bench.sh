#!/bin/sh
# Everything `make bench` prints: figures only. Nothing here fails on a
# number, and `make test` never runs it. Each figure is a section of its own;
# extra arguments go to the micro-benchmark program (e.g.
# --benchmark_filter=Split).
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh

echo "== machine: $(nproc) cores, $(lscpu | sed -n 's/^Model name: *//p' | head -1)"

echo "== micro-benchmarks: the character walk against plain string_view loops (5 MB GBK page)"
# Optimised and without sanitizers, in a build of its own; CPU time, median of 5.
cmake -S bench -B build/bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench -j2 --target velmora-bench >/dev/null
build/bench/velmora-bench --benchmark_min_time=0.5 --benchmark_repetitions=5 \
  --benchmark_report_aggregates_only=true --benchmark_color=false "$@"

scripts/bench-crawl.sh
