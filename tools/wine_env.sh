# Sourced by the other scripts: the Wine settings every run uses, and which
# Windows build this machine can run.
#
# The product is a 32-bit program and is tested in a 32-bit prefix. Some
# kernels (sandboxes among them) cannot start 32-bit Linux programs at all,
# so 32-bit Wine cannot run there; on such a machine the tests use the 64-bit
# build of the same sources under wine64 in a 64-bit prefix, and a `wine`
# command that starts wine64 is put first on PATH so that every caller says
# `wine` either way. KV_WINE_ARCH tells which (win32 or win64).
#
# Needs KV_REPO (the repository root). Sets: KV_WINE_ARCH, KV_TOOLCHAIN,
# WINEARCH, WINEDEBUG, WINEDLLOVERRIDES, LC_ALL, PATH.

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=ko_KR.UTF-8

if [[ -z "${KV_WINE_ARCH:-}" ]]; then
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        KV_WINE_ARCH=win32
    elif [[ -x /usr/lib/wine/wine64 ]]; then
        KV_WINE_ARCH=win64
        echo "wine: this machine cannot run 32-bit programs; testing the 64-bit build under wine64" >&2
    else
        KV_WINE_ARCH=none
    fi
fi
export KV_WINE_ARCH

if [[ "$KV_WINE_ARCH" == win64 ]]; then
    export WINEARCH=win64
    export KV_TOOLCHAIN="$KV_REPO/cmake/mingw-x86_64.cmake"
    kv_shim="$KV_REPO/build/wine-bin"
    if [[ ! -x "$kv_shim/wine" ]]; then
        mkdir -p "$kv_shim"
        printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' > "$kv_shim/wine.tmp"
        chmod +x "$kv_shim/wine.tmp"
        mv "$kv_shim/wine.tmp" "$kv_shim/wine"
    fi
    case ":$PATH:" in *":$kv_shim:"*) ;; *) export PATH="$kv_shim:$PATH" ;; esac
    unset kv_shim
else
    export WINEARCH=win32
    export KV_TOOLCHAIN="$KV_REPO/cmake/mingw-i686.cmake"
fi

# Refuses any prefix but the project's own: never the user's ~/.wine.
kv_check_prefix() {
    local p
    p="$(realpath -m "$1")"
    if [[ "$p" == "$(realpath -m "$HOME/.wine")" || "$p" == / || "$p" == "$(realpath -m "$HOME")" ]]; then
        echo "refusing to use $1 as a Wine prefix" >&2
        return 1
    fi
}

# Ends the wineserver (and with it every Wine process) of prefix $1.
kv_wine_stop() {
    WINEPREFIX="$1" timeout 30 wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX="$1" timeout 30 wineserver -w >/dev/null 2>&1 || true
}
