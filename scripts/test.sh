#!/bin/sh
# Everything `make test` runs: the native tests under the sanitizers, the
# Windows build of the product, and the Windows tests under Wine.
set -eu
cd "$(dirname "$0")/.."
# Run from make, the builds' own makes would announce every directory.
unset MAKELEVEL MAKEFLAGS MFLAGS
started=$(date +%s)
since() { echo "$(($(date +%s) - $1))s"; }
# The GoogleTest totals of the run just made, from ctest's log.
totals() { grep -h '^\[==========\] .* ran\.' "$1/Testing/Temporary/LastTest.log" | sed 's/^/   /' || true; }

scripts/setup.sh
jobs=$(nproc)
[ "$jobs" -le 2 ] || jobs=2

echo "== native: portable core under AddressSanitizer and UBSan"
phase=$(date +%s)
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j"$jobs"
ctest --test-dir build/native --output-on-failure --timeout 900
totals build/native
native_time=$(since "$phase")

echo "== windows i686: the product"
phase=$(date +%s)
cmake -S . -B build/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/i686 -j"$jobs" --target velmora-downloader
scripts/check-exe build/i686/velmora-downloader.exe
product_time=$(since "$phase")

arch=$(scripts/wine-arch)
echo "== windows $arch under Wine: platform services, clients, window and the whole crawl"
if [ "$arch" != i686 ]; then
  echo "   This kernel cannot run 32-bit programs, so 32-bit Wine cannot start: the tests run an"
  echo "   $arch build of the same sources under wine64. The i686 product above is built, not run."
fi
phase=$(date +%s)
dir=build/wintest-$arch
# Ports of their own, so a development build on 18431/18432 can test meanwhile.
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$arch.cmake -DCMAKE_BUILD_TYPE=Release \
  -DVELMORA_SEARCH_HOST=127.0.0.1:18441 -DVELMORA_PHOTO_HOST=127.0.0.1:18442 >/dev/null
cmake --build "$dir" -j"$jobs"
# Makes the build's Wine prefix now (once), outside the tests' time limits.
prefix=$(date +%s)
WINEPREFIX=$PWD/$dir/wineprefix scripts/wine-run "$dir/velmora-win32-tests.exe" --gtest_list_tests >/dev/null
echo "   Wine ready after $(since "$prefix")"
ctest --test-dir "$dir" --output-on-failure --timeout 900
totals "$dir"
wine_time=$(since "$phase")

echo "== all passed: native $native_time, i686 product $product_time, Wine $wine_time, total $(since "$started")"
