#!/usr/bin/env bash
# Installs everything the build and the tests need on a Debian machine.
# Idempotent: a second run only checks and returns.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    rm -f /var/lib/apt/lists/lock
    NEED_UPDATE=1
fi

for p in cmake g++ clang mingw-w64 wine wine32:i386 wine64 xvfb xdotool x11-utils \
         fonts-nanum fonts-baekmuk locales imagemagick python3 python3-pil libgtest-dev \
         osslsigncode openssl \
         libclang-rt-14-dev libwin-hivex-perl xz-utils; do
    have "$p" || need+=("$p")
done

if ((${#need[@]})); then
    echo "setup: installing ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# Wine picks the ANSI code page from the locale; ko_KR.UTF-8 gives 949.
if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf-\?8$'; then
    sed -i 's/^# *\(ko_KR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
echo "setup: tools ready"
