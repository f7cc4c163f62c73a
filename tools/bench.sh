#!/usr/bin/env bash
# The benchmark: start-up, analysis and cleaning of 300, 3,000 and 30,000
# history values beside their floor, analysis of each shared user hive's
# usage history beside its floor, the main window's message latency, the
# details window's opening over 30,000 rows and the footprint, measured on
# the real Kestravin.exe under Wine and Xvfb.
# Rewrites docs/benchmark-results.md. Prints figures; it is not a test and
# not part of tools/test.sh (it takes several minutes).
#
#   tools/bench.sh [--sizes 300,3000,30000] [--startup-runs 3] [--hives A.xz,B.xz] [--recent S,L,E]
#                  [--browsers 20000] [--details 30000] [--out FILE]
#
# Uses build/win (built here by tools/build.sh) unless KV_BUILD_WIN names a
# ready Windows build directory; KV_BUILD_WIN32 names the 32-bit product's
# (default build/win32), KV_TEMPLATE_PREFIX the template prefix (default
# beside the build directory, made when missing).
set -euo pipefail

KV_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export KV_REPO
cd "$KV_REPO"

source "$KV_REPO/tools/wine_env.sh"
if [[ -z "${KV_BUILD_WIN:-}" ]]; then
    bash tools/build.sh
    export KV_BUILD_WIN="$KV_REPO/build/win"
fi
for exe in Kestravin winprobe idle_process proclist bench_floor bench_latency make_jump_list bench_browser_scan; do
    if [[ ! -f "$KV_BUILD_WIN/$exe.exe" ]]; then
        echo "bench: $KV_BUILD_WIN/$exe.exe is missing (build it first)" >&2
        exit 1
    fi
done
export KV_BUILD_WIN32="${KV_BUILD_WIN32:-$KV_REPO/build/win32}"
export KV_TEMPLATE_PREFIX="${KV_TEMPLATE_PREFIX:-$(dirname "$KV_BUILD_WIN")/wine-template}"
timeout 600 bash tools/wine_prefix.sh "$KV_TEMPLATE_PREFIX"

# Bounded as a whole: 30,000 values take a few minutes a pass at worst.
exec timeout --kill-after=30 3600 /usr/bin/python3 tests/bench/bench.py "$@"
