#!/usr/bin/env bash
# Whole-process race: sorvant-export against a straightforward numpy + pandas
# script doing the same job, on a full 720,000-record log at step 5.
#
# usage: bench/exporter/compare.sh BUILD_DIR [RUNS]
#
# Makes the log with our own make-sample-log, checks that both programs write
# byte-identical CSV files, then runs the two alternately RUNS times each
# (default 15; the page cache is warm for both after one untimed run) and
# prints the best and median wall-clock time of each and their ratio.
set -euo pipefail
build=${1:?usage: compare.sh BUILD_DIR [RUNS]}
runs=${2:-15}
here=$(cd "$(dirname "$0")" && pwd)
exporter="$build/tools/sorvant-export"
maker="$build/tools/make-sample-log"
python=/usr/bin/python3
[ -x "$python" ] || python=python3
for f in "$exporter" "$maker"; do
  [ -x "$f" ] || { echo "compare.sh: $f not built" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/sorvant-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$maker" "$work/full.dat" --records 720000 --seed 7
export LC_ALL=C.UTF-8

"$exporter" "$work/full.dat" --step 5 --csv "$work/ours.csv"
"$python" "$here/reference_pandas.py" "$work/full.dat" "$work/theirs.csv" 5
if ! cmp -s "$work/ours.csv" "$work/theirs.csv"; then
  echo "compare.sh: the two CSV files differ" >&2
  cmp "$work/ours.csv" "$work/theirs.csv" >&2 || true
  exit 1
fi
echo "outputs identical: $(wc -l < "$work/ours.csv") lines, $(wc -c < "$work/ours.csv") bytes"

"$python" - "$runs" "$exporter" "$python" "$here/reference_pandas.py" "$work" <<'PY'
import statistics, subprocess, sys, time
runs, exporter, python, script, work = int(sys.argv[1]), *sys.argv[2:]
jobs = {
    "sorvant-export": [exporter, f"{work}/full.dat", "--step", "5", "--csv", f"{work}/ours.csv"],
    "numpy+pandas": [python, script, f"{work}/full.dat", f"{work}/theirs.csv", "5"],
}
times = {name: [] for name in jobs}
for _ in range(runs):
    for name, cmd in jobs.items():
        t0 = time.perf_counter()
        subprocess.run(cmd, check=True)
        times[name].append(time.perf_counter() - t0)
for name, t in times.items():
    print(f"{name:15s} best {min(t) * 1000:8.1f} ms   median {statistics.median(t) * 1000:8.1f} ms   ({runs} runs)")
ours, theirs = times["sorvant-export"], times["numpy+pandas"]
print(f"ratio (pandas / sorvant-export): best {min(theirs) / min(ours):5.1f}x   "
      f"median {statistics.median(theirs) / statistics.median(ours):5.1f}x")
PY
