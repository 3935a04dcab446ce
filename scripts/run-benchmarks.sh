#!/usr/bin/env bash
# Runs every benchmark program of a build and the whole-process race of the
# exporter, and prints their figures.
#
# usage: scripts/run-benchmarks.sh BUILD_DIR
#
# The figures mean most from a Release build on an otherwise idle machine:
#   cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release && scripts/run-benchmarks.sh build-release
set -uo pipefail
build=${1:?usage: run-benchmarks.sh BUILD_DIR}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)

type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt" 2>/dev/null || true)
if [ "$type" != "Release" ]; then
  echo "note: $build is a '${type:-unknown}' build; figures from a Release build are the ones that count"
fi
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"

status=0
found=0
while IFS= read -r program; do
  found=1
  echo
  echo "== ${program#"$build"/}"
  "$program" --benchmark_counters_tabular=true || status=1
done < <(find "$build/bench" -type f -executable -name '*_bench' 2>/dev/null | sort)
if [ "$found" -eq 0 ]; then
  echo "no benchmark programs under $build/bench (configured with -DSORVANT_BENCHMARKS=OFF?)"
fi

echo
echo "== sorvant-export against numpy + pandas"
"$root/bench/exporter/compare.sh" "$build" || status=1
exit $status
