#!/bin/sh
# The whole-program figures of `make bench`: the crawl of a local bench site
# against curl, and the peak memory while a 50 MB photo is stored. Builds the
# program for the bench site's ports in a build of its own; under Wine where
# this is not Windows (the x86_64 build where 32-bit Wine cannot run).
set -eu
cd "$(dirname "$0")/.."
search_host=127.0.0.1:18631
photo_host=127.0.0.1:18632
case $(uname -s) in
  MINGW* | MSYS* | CYGWIN*) arch=i686 ;;
  *) arch=$(scripts/wine-arch) ;;
esac
dir=build/bench-$arch
echo "== whole crawl and peak memory: the $arch Windows build$([ "$arch" = i686 ] || echo ' under wine64 (this kernel cannot run 32-bit Wine)')"
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-$arch.cmake -DCMAKE_BUILD_TYPE=Release \
  -DVELMORA_SEARCH_HOST=$search_host -DVELMORA_PHOTO_HOST=$photo_host >/dev/null
cmake --build "$dir" -j2 --target velmora-downloader velmora-e2e-driver >/dev/null
python3 tests/e2e/bench_crawl.py --build-dir "$dir" --search-host $search_host --photo-host $photo_host
