#!/usr/bin/env bash
# Runs Kestravin.exe under Wine in the project's own prefix (build/run-prefix),
# talking to the stand-in server instead of the maker's.
#
# With a usable $DISPLAY the window opens there and the command returns when
# the program ends. Without one it runs under a private Xvfb: the command
# waits for the main window, saves a screenshot to build/screenshot.png,
# prints where it is, and closes the program.
set -euo pipefail

KV_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export KV_REPO
cd "$KV_REPO"

timeout 1200 bash tools/setup.sh </dev/null
source "$KV_REPO/tools/wine_env.sh"
source "$KV_REPO/tools/stand_in.sh"
timeout 1800 bash tools/build.sh --win-only
[[ -x build/win/Kestravin.exe ]] || { echo "run: build/win/Kestravin.exe was not built" >&2; exit 1; }

template="$KV_REPO/build/wine-template"
prefix="$KV_REPO/build/run-prefix"
timeout 600 bash tools/wine_prefix.sh "$template"
kv_check_prefix "$prefix"
if [[ ! -f "$prefix/.kestravin-prefix" ]] || ! cmp -s "$prefix/.kestravin-prefix" "$template/.kestravin-prefix"; then
    if [[ -d "$prefix" ]]; then kv_wine_stop "$prefix"; rm -rf "$prefix"; fi
    cp -a "$template" "$prefix"
fi
export WINEPREFIX="$prefix"

server_pid=""
xvfb_pid=""
cleanup() {
    kv_wine_stop "$prefix"
    if [[ -n "$server_pid" ]]; then kill "$server_pid" 2>/dev/null || true; fi
    if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

kv_start_stand_in build/run-server.port build/run-server-requests.txt build/run-server.log ||
    { echo "run: cannot go on without the stand-in server" >&2; exit 1; }
server_pid="$KV_STAND_IN_PID"
export KESTRAVIN_SERVER="$KV_STAND_IN_URL"
echo "run: stand-in server at $KESTRAVIN_SERVER (requests in build/run-server-requests.txt)"

# The sample profile (tools/sample_profile.reg and two idle sample programs),
# so that a first analysis finds traces in every category; written into this
# prefix only, again on each run, once the display is known.
seed_sample() { timeout 300 bash tools/seed_sample_profile.sh "$prefix"; }

if [[ -n "${DISPLAY:-}" ]] && timeout 10 xdpyinfo >/dev/null 2>&1; then
    seed_sample
    echo "run: starting Kestravin on display $DISPLAY"
    # Bounded like everything else: a day is more than any session at the screen.
    timeout 86400 wine build/win/Kestravin.exe </dev/null || true
    exit 0
fi

# No display: a private Xvfb on a free display number.
exec 3>build/run-xvfb.display
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >build/run-xvfb.log 2>&1 </dev/null &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 100); do [[ -s build/run-xvfb.display ]] && break; sleep 0.1; done
[[ -s build/run-xvfb.display ]] || { echo "run: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(cat build/run-xvfb.display)"
echo "run: no usable display; running under Xvfb $DISPLAY"

seed_sample
timeout 600 wine build/win/Kestravin.exe </dev/null >build/run-wine.log 2>&1 &
window=""
for _ in $(seq 120); do
    window="$(xdotool search --onlyvisible --name '^Kestravin$' 2>/dev/null | head -n1 || true)"
    [[ -n "$window" ]] && break
    sleep 0.5
done
if [[ -z "$window" ]]; then
    echo "run: the Kestravin window did not appear within 60 s (see build/run-wine.log)" >&2
    exit 1
fi
sleep 2  # let the first paint finish
import -window root build/screenshot.png
echo "run: screenshot saved to $KV_REPO/build/screenshot.png"
echo "run: closing Kestravin"
