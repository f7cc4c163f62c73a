#!/usr/bin/env bash
# Builds the Windows programs (build/win) and the native engine with its unit
# tests (build/native); with --sanitizers also build/tsan (ThreadSanitizer)
# and build/asan (AddressSanitizer + UndefinedBehaviorSanitizer).
#
#   tools/build.sh [--win-only] [--sanitizers]
#
# build/win holds the 32-bit product, or the 64-bit build where this machine
# cannot run 32-bit Wine (see tools/wine_env.sh); there the 32-bit product is
# also compiled, in build/win32.
set -euo pipefail

KV_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$KV_REPO/tools/wine_env.sh"
cd "$KV_REPO"

win_only=0
sanitizers=0
for arg in "$@"; do
    case "$arg" in
        --win-only) win_only=1 ;;
        --sanitizers) sanitizers=1 ;;
        *) echo "usage: tools/build.sh [--win-only] [--sanitizers]" >&2; exit 2 ;;
    esac
done

# configure DIR ARGS...: a cache made with another toolchain is started afresh.
configure() {
    local dir="$1"; shift
    local want="${KV_TOOLCHAIN_FOR_DIR:-}"
    if [[ -f "$dir/CMakeCache.txt" ]]; then
        local had
        had="$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$dir/CMakeCache.txt")"
        [[ "$had" == "$want" ]] || rm -rf "$dir"
    fi
    # ccache, where the set-up installed it, makes a rebuild in another clone
    # of the same sources cost little.
    local launcher=()
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$KV_REPO" -B "$dir" "${launcher[@]}" "$@" >/dev/null
}

step() { echo "build: $1"; }

step "build/win ($KV_WINE_ARCH)"
KV_TOOLCHAIN_FOR_DIR="$KV_TOOLCHAIN" configure build/win -DCMAKE_TOOLCHAIN_FILE="$KV_TOOLCHAIN"
cmake --build build/win -j2
built_win=(build/win)

if ((!win_only)); then
    if [[ "$KV_WINE_ARCH" == win64 ]]; then
        # The tests run the 64-bit build here; the shipped program is still
        # the 32-bit one, so it must keep compiling.
        step "build/win32 (the 32-bit product, compiled only)"
        KV_TOOLCHAIN_FOR_DIR="$KV_REPO/cmake/mingw-i686.cmake" configure build/win32 \
            -DCMAKE_TOOLCHAIN_FILE="$KV_REPO/cmake/mingw-i686.cmake"
        cmake --build build/win32 -j2 --target Kestravin
        built_win+=(build/win32)
    fi
    step "build/native"
    configure build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build/native -j2
    if ((sanitizers)); then
        step "build/tsan"
        configure build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_SANITIZE=thread
        cmake --build build/tsan -j2
        step "build/asan"
        configure build/asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_SANITIZE=address,undefined
        cmake --build build/asan -j2
    fi
fi
# What a user copies must carry no debug information (CMakeLists.txt moves
# it to Kestravin.exe.debug); a change that brings it back fails here.
for dir in "${built_win[@]}"; do
    exe="$dir/Kestravin.exe"
    if x86_64-w64-mingw32-objdump -h "$exe" | grep -q '\.debug_'; then
        echo "build: $exe carries debug information" >&2
        exit 1
    fi
    echo "build: $exe: $(stat -c %s "$exe") bytes"
done
step "done"
