#!/usr/bin/env bash
# Installs what is missing, builds Sarvotex with its tests and benchmarks, and runs every test
# headless: first the file readers' fuzz targets for a few seconds each on the sample files
# (clang with libFuzzer, in a build folder of their own), then every test of the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
export QT_QPA_PLATFORM=offscreen

CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSARVOTEX_FUZZ=ON -DSARVOTEX_BUILD_BENCH=OFF
cmake --build "$root/build-fuzz" --parallel --target fuzz_rtb fuzz_dbb fuzz_text fuzz_roundtrip
(cd "$root/build-fuzz" && ctest --output-on-failure --parallel "$(nproc)" -L fuzz)

cmake -S "$root" -B "$root/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build-test" --parallel
cd "$root/build-test"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
