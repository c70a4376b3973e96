#!/usr/bin/env bash
# Installs what is missing, builds Sarvotex (Release) and starts it on the example measurement.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSARVOTEX_BUILD_TESTS=OFF -DSARVOTEX_BUILD_BENCH=OFF
cmake --build "$root/build" --parallel
example=()
for f in "$root"/data/examples/*; do
  [ -f "$f" ] && { example=("$f"); break; }
done
exec "$root/build/bin/sarvotex" "${example[@]}"
