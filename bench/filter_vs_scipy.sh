#!/bin/sh
# Times the zero-phase filtering of 10^7 samples by Quakeslate and by scipy on
# this machine, in one run, and prints both figures and their ratio.
#
#   bench/filter_vs_scipy.sh [build-dir]
#
# The build directory (default build/bench) must hold, or will receive, a
# Release build with the benchmarks. Both sides run a Butterworth band pass of
# order 4 (four second-order sections), 0.5-5 Hz at 100 samples/s, over the
# same number of normally distributed samples: Quakeslate runs its cascade
# forward and backward in place (BM_ZeroPhaseBandPass); scipy runs sosfilt,
# reverses, runs sosfilt again and reverses back. Each figure is the median of
# five repetitions. A ratio at or below 1.0 means Quakeslate is at least as fast.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build/bench"}
python=/usr/bin/python3
repetitions=5

if [ ! -x "$build/bench/bench" ]; then
  echo "Building the benchmarks in $build ..." >&2
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQS_TESTS=OFF -DQS_BENCH=ON >/dev/null
  cmake --build "$build" -j"$(nproc)" --target bench >/dev/null
fi

json=$(mktemp)
trap 'rm -f "$json"' EXIT INT TERM
QT_QPA_PLATFORM=offscreen "$build/bench/bench" --benchmark_filter='^BM_ZeroPhaseBandPass' \
  --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
  --benchmark_format=json --benchmark_out="$json" --benchmark_out_format=json >/dev/null

"$python" - "$json" "$repetitions" <<'EOF'
import json
import statistics
import sys
import time

import numpy as np
import scipy
from scipy import signal

with open(sys.argv[1]) as f:
    report = json.load(f)
repetitions = int(sys.argv[2])
ours = None
for b in report["benchmarks"]:
    if b.get("aggregate_name") == "median":
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        ours = b["real_time"] * scale
if ours is None:
    sys.exit("no median of BM_ZeroPhaseBandPass in the benchmark report")

n = 10_000_000
sos = signal.butter(4, [0.5, 5.0], btype="bandpass", fs=100.0, output="sos")
x = np.random.default_rng(7).normal(0.0, 1000.0, n)
times = []
for _ in range(repetitions):
    start = time.perf_counter()
    y = signal.sosfilt(sos, x)[::-1]
    y = signal.sosfilt(sos, y)[::-1]
    times.append((time.perf_counter() - start) * 1000.0)
scipy_ms = statistics.median(times)

print("zero-phase Butterworth band pass, order 4 (%d sections), %d samples" % (sos.shape[0], n))
print("Quakeslate IIRFilter::apply : %8.1f ms" % ours)
print("scipy %-6s sosfilt x 2   : %8.1f ms" % (scipy.__version__, scipy_ms))
print("ratio Quakeslate / scipy    : %8.2f" % (ours / scipy_ms))
EOF
