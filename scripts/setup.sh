#!/bin/sh
# Installs what the build and the tests need on a Debian 12 machine.
# Safe to run again: when everything is there it only looks, and says nothing.
set -eu

SUDO=""
[ "$(id -u)" = 0 ] || SUDO="sudo"

# wine64 and the x86-64 cross compiler serve machines whose kernel cannot run
# 32-bit Linux programs: there the Windows tests run as 64-bit programs.
packages="cmake make g++ googletest libgtest-dev libgmock-dev libbenchmark-dev \
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 \
  xvfb x11-utils imagemagick locales fonts-wqy-microhei \
  python3 clang libclang-rt-14-dev curl file"

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture (for wine32)"
  $SUDO dpkg --add-architecture i386
fi

# One query for all packages; those not reported as installed are missing.
installed=$(dpkg-query -W -f='${binary:Package} ${Status}\n' 2>/dev/null | sed -n 's/ install ok installed$//p')
need=""
for p in $packages; do
  if ! printf '%s\n' "$installed" | grep -qx -e "$p" -e "$p:amd64" -e "$p:all"; then
    need="$need $p"
  fi
done

if [ -n "$need" ]; then
  echo "setup: installing$need"
  $SUDO apt-get update -qq
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $need >/dev/null
fi

# Wine takes the ANSI code page from the locale: zh_CN gives code page 936
# (GBK). The locale counts as there only when the C library really switches to
# it, without a warning: a name listed by `locale -a` is not enough.
locale_works() {
  [ "$(LC_ALL=zh_CN.UTF-8 locale charmap 2>&1)" = UTF-8 ] &&
    locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'
}
if ! locale_works; then
  echo "setup: generating the zh_CN.UTF-8 locale"
  if grep -q '^[# ]*zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    $SUDO sed -i 's/^[# ]*zh_CN.UTF-8 UTF-8.*/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  else
    echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
  if ! locale_works; then
    $SUDO localedef -i zh_CN -c -f UTF-8 -A /usr/share/locale/locale.alias zh_CN.UTF-8 || true
  fi
  if ! locale_works; then
    echo "setup: the zh_CN.UTF-8 locale still does not work:" >&2
    LC_ALL=zh_CN.UTF-8 locale charmap >&2 || true
    exit 1
  fi
fi
