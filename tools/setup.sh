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
         libclang-rt-14-dev libwin-hivex-perl xz-utils ccache python3-olefile \
         tcl dpkg-dev make; do
    have "$p" || need+=("$p")
done

# A mirror caught mid-sync fails one index and leaves the rest usable, so a
# failed update is a warning. The install that follows can then meet 32-bit
# and 64-bit library versions that no longer match (one index is newer than
# the other); taking every package from the machine's own release resolves
# that, so it is the one retry.
install_needed() {
    local log
    log="$(mktemp)"
    if apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1; then rm -f "$log"; return 0; fi
    local release
    release="$(. /etc/os-release && echo "${VERSION_CODENAME:-}")"
    if [[ -n "$release" ]]; then
        echo "setup: warning: install failed; retrying with $release as the target release"
        if apt-get install -y -qq --no-install-recommends -t "$release" "$@" >"$log" 2>&1; then
            rm -f "$log"; return 0
        fi
    fi
    tail -n 5 "$log" | sed 's/^/setup:   /' >&2
    rm -f "$log"
    return 1
}

if ((${#need[@]})); then
    echo "setup: installing ${need[*]}"
    export DEBIAN_FRONTEND=noninteractive
    if ! apt-get update -qq 2>/tmp/kv-apt-update.err; then
        echo "setup: warning: some package indexes could not be updated; going on with the rest:"
        grep '^E:' /tmp/kv-apt-update.err | head -n 3 | sed 's/^/setup:   /'
    fi
    if ! install_needed "${need[@]}"; then
        echo "setup: FAILED: these packages cannot be had from the package sources: ${need[*]}" >&2
        exit 1
    fi
fi

# Wine picks the ANSI code page from the locale; ko_KR.UTF-8 gives 949.
if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf-\?8$'; then
    sed -i 's/^# *\(ko_KR.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ko_KR.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
# SQLite, which every build compiles in, from Debian's source (tools/sqlite.sh).
bash "$(dirname "${BASH_SOURCE[0]}")/sqlite.sh"
echo "setup: tools ready"
