#!/usr/bin/env bash
# Builds and runs the report benchmark. Usage:
#   bench/report/run-bench-report.sh [build folder] [bench_report options]
# e.g. bench/report/run-bench-report.sh build --tables 250,500,1000,2000 --runs 3
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$here/build}
shift || true
if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
  cmake -S "$here" -B "$build" -G Ninja
fi
cmake --build "$build" --target bench_report -j 4
exec "$build/bench/bench_report" --out "$build/bench/report-out" "$@"
