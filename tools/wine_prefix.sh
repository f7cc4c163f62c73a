#!/usr/bin/env bash
# Makes the Wine prefix DIR that the tests and the run command copy (cp -a)
# instead of booting their own: Korean locale (code page 949), no Mono or
# Gecko, and the face "굴림" mapped to a font that has Hangul. A no-op when
# DIR is already complete and made with the same settings.
#
# The font is Baekmuk Gulim (Debian fonts-baekmuk), a Gulim drawn for screen
# sizes: its hinting table asks for grid-fitted black-and-white glyphs up to
# 16 pixels, so the program's 12-pixel status and count lines come out
# crisp and full dark. NanumGothic asks for grey smoothing at every size and
# came out thin and blurred; the prefix's FontSmoothing settings changed
# none of its pixels under Wine 8, which smooths it as fontconfig says.
#
#   tools/wine_prefix.sh DIR
set -euo pipefail

KV_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$KV_REPO/tools/wine_env.sh"

dir="${1:?usage: wine_prefix.sh DIR}"
kv_check_prefix "$dir"
gulim_font="Baekmuk Gulim"
stamp="$dir/.kestravin-prefix"
# The stamp names what the prefix was made with: a prefix made otherwise is made again.
want="$(printf '%s\n굴림=%s' "$KV_WINE_ARCH" "$gulim_font")"
if [[ -f "$stamp" ]] && [[ "$(cat "$stamp")" == "$want" ]]; then
    exit 0
fi
if [[ "$KV_WINE_ARCH" == none ]]; then
    echo "wine_prefix: Wine is not installed (run tools/setup.sh)" >&2
    exit 1
fi

# A prefix without its stamp is an interrupted boot: start again.
mkdir -p "$(dirname "$dir")"
dir="$(realpath -m "$dir")"
if [[ -e "$dir" ]]; then
    kv_wine_stop "$dir"
    rm -rf "$dir"
fi
export WINEPREFIX="$dir"

start=$SECONDS
timeout 300 wine wineboot -i >/dev/null 2>&1 || true
timeout 120 wineserver -w || true
if [[ ! -f "$dir/system.reg" ]]; then
    echo "wine_prefix: wineboot did not create $dir" >&2
    exit 1
fi

if ! fc-list "$gulim_font" | grep -q .; then
    echo "wine_prefix: the font $gulim_font is not installed (run tools/setup.sh)" >&2
    exit 1
fi
timeout 120 wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v '굴림' /t REG_SZ /d "$gulim_font" /f >/dev/null
timeout 120 wineserver -w || true

# Wine writes non-ASCII value names to user.reg as \x escapes of UTF-16:
# 굴 U+AD74, 림 U+B9BC. Anything else means the name arrived garbled.
if ! grep -qF "\"\\xad74\\xb9bc\"=\"$gulim_font\"" "$dir/user.reg"; then
    echo "wine_prefix: the font replacement for 굴림 did not arrive intact:" >&2
    grep -A3 'Fonts\\\\Replacements' "$dir/user.reg" >&2 || true
    exit 1
fi

echo "$want" > "$stamp"
echo "wine_prefix: $dir ready ($KV_WINE_ARCH, $((SECONDS - start)) s)"
