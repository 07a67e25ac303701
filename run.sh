#!/bin/sh
# Installs what is missing, builds Quakeslate in Release and starts it.
set -e
cd "$(dirname "$0")"
./scripts/deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQS_TESTS=OFF -DQS_BENCH=OFF
cmake --build build/release -j"$(nproc)" --target quakeslate
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
  echo "No display found. Built build/release/quakeslate; to run it without a"
  echo "display, start it under a virtual X server:"
  echo "  xvfb-run -a -s '-screen 0 1600x1000x24' build/release/quakeslate"
  exit 0
fi
exec build/release/quakeslate "$@"
