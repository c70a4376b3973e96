#!/usr/bin/env bash
# Installs what is missing, builds Sarvotex with its tests and benchmarks, and runs every test
# headless.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build-test" --parallel
export QT_QPA_PLATFORM=offscreen
cd "$root/build-test"
ctest --output-on-failure --parallel "$(nproc)" --timeout 300
