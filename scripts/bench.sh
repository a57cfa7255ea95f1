#!/usr/bin/env bash
# Builds and runs every benchmark in bench/ beside its peer library.
#   scripts/bench.sh [benchmark-name-filter]
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh cmake ninja-build g++ pkg-config libbenchmark-dev libpng-dev zlib1g-dev \
  libfreetype-dev fonts-dejavu-core libpixman-1-dev libcairo2-dev libsmf-dev
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQV_BENCH=ON -DQV_TESTS=OFF
cmake --build build-bench -j "$(nproc)"
for exe in build-bench/bench/bench_*; do
  [ -x "$exe" ] || continue
  case "$(basename "$exe")" in *${1:-}*) ;; *) continue ;; esac
  echo "== $(basename "$exe")"
  "$exe" --benchmark_min_time=0.2
done
