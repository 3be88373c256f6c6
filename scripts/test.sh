#!/bin/sh
# Everything `make test` runs: the native tests under the sanitizers, the
# Windows build of the product, and the Windows tests under Wine.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

echo "== native: portable core under AddressSanitizer and UBSan"
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j"$jobs"
ctest --test-dir build/native --output-on-failure

echo "== windows i686: the product"
cmake -S . -B build/i686 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/i686 -j"$jobs" --target velmora-downloader
scripts/check-exe build/i686/velmora-downloader.exe

arch=$(scripts/wine-arch)
echo "== windows $arch under Wine: platform services, clients, window and the whole crawl"
[ "$arch" = i686 ] || echo "   (this kernel cannot run 32-bit Linux programs, so 32-bit Wine cannot start: the same sources run as a 64-bit Windows build)"
dir=build/wintest-$arch
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$arch.cmake -DCMAKE_BUILD_TYPE=Release \
  -DVELMORA_SEARCH_HOST=127.0.0.1:18431 -DVELMORA_PHOTO_HOST=127.0.0.1:18432 >/dev/null
cmake --build "$dir" -j"$jobs"
ctest --test-dir "$dir" --output-on-failure
