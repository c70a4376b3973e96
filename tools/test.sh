#!/usr/bin/env bash
# Installs what is missing, builds Sarvotex with its tests and benchmarks, and runs every test
# headless: first the file readers' fuzz targets for a few seconds each on the sample files
# (clang with libFuzzer, in a build folder of their own), then every test of the program, then
# every test again and sarvotex-dump on every sample file under AddressSanitizer and
# UndefinedBehaviorSanitizer (a Debug build of its own); any sanitizer report fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
export QT_QPA_PLATFORM=offscreen

CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSARVOTEX_FUZZ=ON -DSARVOTEX_BUILD_BENCH=OFF
cmake --build "$root/build-fuzz" --parallel --target fuzz_rtb fuzz_dbb fuzz_brv fuzz_b5r fuzz_contisure fuzz_opto fuzz_text fuzz_roundtrip
(cd "$root/build-fuzz" && ctest --output-on-failure --parallel "$(nproc)" -L fuzz)

cmake -S "$root" -B "$root/build-test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build-test" --parallel
(cd "$root/build-test" && ctest --output-on-failure --parallel "$(nproc)" --timeout 300)

cmake -S "$root" -B "$root/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
  -DSARVOTEX_BUILD_BENCH=OFF
cmake --build "$root/build-asan" --parallel
# The first report ends the process with a failure status; the program frees what it allocates,
# so leaks count as well.
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
(cd "$root/build-asan" && ctest --output-on-failure --parallel "$(nproc)" --timeout 300)
for sample in "$root"/tests/data/*; do
  case "$sample" in *.golden) continue ;; esac
  # File sets live in folders of their own; the dump test reads them as sets.
  [ -d "$sample" ] && continue
  "$root/build-asan/bin/sarvotex-dump" "$sample" >/dev/null || { echo "sarvotex-dump failed on $sample" >&2; exit 1; }
done
