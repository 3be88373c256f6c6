#!/bin/sh
# `make demo`: builds the program for a sample site on this machine, serves
# that site (demo/) on 127.0.0.1 and runs the program against it, under Wine
# where this is not Windows. With a display you operate the window; without
# one it runs under Xvfb, presses start itself and reports the photos saved
# and a screenshot of the window.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh

search_host=127.0.0.1:18531
photo_host=127.0.0.1:18532
case $(uname -s) in
  MINGW* | MSYS* | CYGWIN*) arch=i686 ;;
  *) arch=$(scripts/wine-arch) ;;
esac
[ "$arch" = i686 ] || echo "demo: this kernel cannot run 32-bit Wine, so the demo runs the $arch build of the same sources"
dir=build/demo-$arch

echo "demo: building $dir"
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$arch.cmake -DCMAKE_BUILD_TYPE=Release \
  -DVELMORA_SEARCH_HOST=$search_host -DVELMORA_PHOTO_HOST=$photo_host >/dev/null
cmake --build "$dir" -j"$(nproc)" --target velmora-downloader velmora-e2e-driver >/dev/null

exec python3 tests/e2e/run_demo.py --build-dir "$dir" --search-host $search_host --photo-host $photo_host
