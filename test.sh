#!/bin/sh
# Installs what is missing, then builds and runs every test: a warnings-as-errors
# build, the same suite under AddressSanitizer + UndefinedBehaviorSanitizer, and
# bounded libFuzzer runs of the readers of outside input.
set -e
cd "$(dirname "$0")"
./scripts/deps.sh
JOBS="$(nproc)"
FUZZ_SECONDS="${FUZZ_SECONDS:-60}"

echo "=== Build with warnings as errors ==="
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQS_WERROR=ON
cmake --build build/test -j"$JOBS"
(cd build/test && ctest --output-on-failure -j"$JOBS")

echo "=== AddressSanitizer + UndefinedBehaviorSanitizer ==="
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
  -DQS_WERROR=ON -DQS_SANITIZE=ON -DQS_FUZZ=ON -DQS_BENCH=OFF
cmake --build build/asan -j"$JOBS"
(cd build/asan && ctest --output-on-failure -j"$JOBS")

echo "=== Fuzzing (${FUZZ_SECONDS} s per target) ==="
./scripts/fuzz.sh build/asan "$FUZZ_SECONDS"
echo "All tests passed."
