#!/bin/sh
# Times the file formats against the plain tools on the same day-long files
# (8.64 million samples at 100 samples/s), in one run, and prints the ratios:
#   SAC read / cat of the SAC file                      (aim: at most 3)
#   miniSEED read / libmseed ms_readtraces alone        (aim: at most 1.3)
#   GeoCSV write / wc -l of the written file            (aim: at most 10)
#   GeoCSV read / wc -l of the same file                (aim: at most 10)
#
#   bench/formats.sh [build-dir]
#
# The build directory (default build/bench) must hold, or will receive, a
# Release build with the benchmarks. Our figures are medians of five
# repetitions of the benchmarks BM_Formats*; cat and wc -l are timed from this
# shell (process start included, as typed at a prompt), each the median of
# five batches of ten runs on a warm page cache.
#
# A reader must hand over a new array of 8.64 M doubles (69 MB). Where the
# kernel maps fresh memory in 4 KiB pages, merely touching that array can
# cost several times a cat of the file, so the benchmarks run twice: as the
# system is set up, and with malloc asked for transparent huge pages. The
# cost of the array alone (BM_FormatsAllocateDay) is printed with them.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build/bench"}
python=/usr/bin/python3

if [ ! -x "$build/bench/bench" ]; then
  echo "Building the benchmarks in $build ..." >&2
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQS_TESTS=OFF -DQS_BENCH=ON >/dev/null
  cmake --build "$build" -j"$(nproc)" --target bench >/dev/null
fi

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT INT TERM
run_bench() { # report-file [environment assignment]
  report=$1
  shift
  env "$@" QS_BENCH_FORMATS_DIR="$data" QT_QPA_PLATFORM=offscreen "$build/bench/bench" \
    --benchmark_filter='^BM_Formats' --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_format=json \
    --benchmark_out="$report" --benchmark_out_format=json >/dev/null
}
run_bench "$data/plain.json"
run_bench "$data/thp.json" GLIBC_TUNABLES=glibc.malloc.hugetlb=1

# Median milliseconds of five batches of ten runs of a command.
time_ms() {
  "$@" >/dev/null 2>&1
  batches=""
  for b in 1 2 3 4 5; do
    start=$(date +%s%N)
    i=0
    while [ $i -lt 10 ]; do
      "$@" >/dev/null
      i=$((i + 1))
    done
    end=$(date +%s%N)
    batches="$batches $(( (end - start) / 10 ))"
  done
  echo "$batches" | tr ' ' '\n' | grep . | sort -n | sed -n 3p | awk '{ printf "%.3f", $1 / 1e6 }'
}

cat_sac=$(time_ms cat "$data/day.sac")
wc_csv=$(time_ms wc -l "$data/day.csv")
sac_mb=$(du -m "$data/day.sac" | cut -f1)
mseed_mb=$(du -m "$data/day.mseed" | cut -f1)
csv_mb=$(du -m "$data/day.csv" | cut -f1)

"$python" - "$data/plain.json" "$data/thp.json" "$cat_sac" "$wc_csv" "$sac_mb" "$mseed_mb" "$csv_mb" <<'PY'
import json
import sys


def medians(path):
    with open(path) as f:
        report = json.load(f)
    ms = {}
    for b in report["benchmarks"]:
        if b.get("aggregate_name") == "median":
            scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
            ms[b["run_name"].split("/")[0]] = b["real_time"] * scale
    need = ["BM_FormatsSacReadDay", "BM_FormatsMiniSEEDReadDay", "BM_FormatsMsReadtracesDay",
            "BM_FormatsGeoCSVWriteDay", "BM_FormatsGeoCSVReadDay", "BM_FormatsAllocateDay"]
    missing = [n for n in need if n not in ms]
    if missing:
        sys.exit("missing from %s: %s" % (path, ", ".join(missing)))
    return ms


cat_sac, wc_csv = float(sys.argv[3]), float(sys.argv[4])
print("day of 8.64 M samples at 100/s: SAC %s MB, miniSEED %s MB (Steim2), GeoCSV %s MB"
      % (sys.argv[5], sys.argv[6], sys.argv[7]))
print("cat SAC file %.1f ms, wc -l GeoCSV file %.1f ms" % (cat_sac, wc_csv))
for title, path in (("malloc as the system sets it up", sys.argv[1]),
                    ("malloc on transparent huge pages (GLIBC_TUNABLES=glibc.malloc.hugetlb=1)",
                     sys.argv[2])):
    ms = medians(path)
    floor = ms["BM_FormatsAllocateDay"]
    print()
    print(title + ":")
    print("  a new series of the day, filled and freed (the floor of any reader): %.1f ms" % floor)
    rows = [
        ("SAC read", ms["BM_FormatsSacReadDay"], "cat", cat_sac, 3.0, True),
        ("miniSEED read", ms["BM_FormatsMiniSEEDReadDay"], "ms_readtraces",
         ms["BM_FormatsMsReadtracesDay"], 1.3, False),
        ("GeoCSV write", ms["BM_FormatsGeoCSVWriteDay"], "wc -l", wc_csv, 10.0, False),
        ("GeoCSV read", ms["BM_FormatsGeoCSVReadDay"], "wc -l", wc_csv, 10.0, False),
    ]
    for name, ours, what, theirs, aim, show_floor in rows:
        ratio = ours / theirs
        line = "  %-14s %7.1f ms / %-13s %7.1f ms = %5.2f  (aim <= %.1f: %s)" % (
            name, ours, what, theirs, ratio, aim, "ok" if ratio <= aim else "over")
        if show_floor:
            line += "; above the floor %.2f" % ((ours - floor) / theirs)
        print(line)
    extra = ms["BM_FormatsMiniSEEDReadDay"] - ms["BM_FormatsMsReadtracesDay"]
    print("  miniSEED read beyond the library: %.1f ms (the floor is %.1f ms of it)" % (extra, floor))
PY
