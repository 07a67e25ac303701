#!/bin/sh
# Runs every fuzz target of a QS_FUZZ build for a bounded time, seeded from
# tests/fuzz/corpus/<target>; fails on any crash, leak, timeout or OOM.
set -e
BUILD="$(cd "$1" && pwd)"
SECONDS_EACH="${2:-60}"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
status=0
for target in "$BUILD"/tests/fuzz_*; do
  [ -f "$target" ] && [ -x "$target" ] || continue
  name="$(basename "$target")"
  work="$BUILD/fuzz-work/$name"
  rm -rf "$work"; mkdir -p "$work/corpus"
  seeds="$ROOT/tests/fuzz/corpus/${name#fuzz_}"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work/corpus/" 2>/dev/null || true
  echo "--- $name"
  if ! (cd "$work" && QT_QPA_PLATFORM=offscreen LC_ALL=C \
        ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp" \
        "$target" -max_total_time="$SECONDS_EACH" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 corpus > log.txt 2>&1); then
    tail -60 "$work/log.txt"
    echo "FUZZ FAILURE: $name"
    status=1
  else
    grep -E 'stat::number_of_executed_units' "$work/log.txt" || true
  fi
done
exit $status
