#!/usr/bin/env bash
# Installs everything Trova needs to build, run and test on Debian 12 (as root).
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

# Wine's own fonts and the X libraries it draws with are only recommended by the
# Wine packages; recommends are skipped, so they are named here.
pkgs=(mingw-w64 g++-mingw-w64-x86-64-posix wine wine64 fonts-wine
      libxrender1 libxrandr2 libxi6 libxcursor1 libxinerama1 libxcomposite1
      xvfb xauth x11-utils imagemagick
      fonts-wqy-microhei locales cmake g++ make googletest
      clang-14 libclang-rt-14-dev  # the parser fuzz targets: clang, libFuzzer, ASan/UBSan runtimes
      python3)  # scripts/mutants.sh puts its faults in with it
need=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${need[@]}"
fi

# Wine reads the ANSI code page from the locale: zh_CN.UTF-8 gives code page 936 (GBK).
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf8$'; then
  sed -i 's/^# *zh_CN.UTF-8 UTF-8/zh_CN.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen
fi
