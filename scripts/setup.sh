#!/bin/sh
# Installs what the build and the tests need on a Debian 12 machine.
# Safe to run again: it only installs what is missing.
set -eu

need=""
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

# wine64 and the x86-64 cross compiler serve machines whose kernel cannot run
# 32-bit Linux programs: there the Windows tests run as 64-bit programs.
packages="cmake make g++ googletest libgtest-dev libgmock-dev libbenchmark-dev \
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 \
  xvfb xauth x11-utils imagemagick locales fonts-wqy-microhei \
  python3 clang libclang-rt-14-dev curl file"

SUDO=""
[ "$(id -u)" = 0 ] || SUDO="sudo"

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi

for p in $packages; do
  have "$p" || need="$need $p"
done

if [ -n "$need" ]; then
  echo "setup: installing$need"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $need >/dev/null
fi

# Wine reads the ANSI code page from the locale: zh_CN gives code page 936 (GBK).
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "setup: generating the zh_CN.UTF-8 locale"
  if ! grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
