#!/usr/bin/env bash
# Gives the Wine prefix PREFIX the sample profile: the history values and
# autosaved form entries of tools/sample_profile.reg, a harmless program
# running as "sample_notes.exe" (a PROCESS trace) and one running as
# "qdownagent.exe", the name of a grid-delivery agent (a GRID trace; it runs
# by itself, with no service, so cleaning PROCESS ends it and the GRID row
# then finds it gone). Both are the idle stand-in of the Windows build
# (idle_process.exe) copied into the prefix; they end by themselves within an
# hour, and with the prefix's wineserver. Safe to run again on the same
# prefix. Refuses any prefix but a project one (never ~/.wine).
#
#   tools/seed_sample_profile.sh PREFIX
# Uses KV_BUILD_WIN (default build/win) for the program.
set -euo pipefail

KV_REPO="${KV_REPO:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
source "$KV_REPO/tools/wine_env.sh"

prefix="${1:?usage: seed_sample_profile.sh PREFIX}"
kv_check_prefix "$prefix"
prefix="$(realpath "$prefix")"
[[ -f "$prefix/system.reg" ]] || { echo "seed: $prefix is not a Wine prefix" >&2; exit 1; }
export WINEPREFIX="$prefix"
build="${KV_BUILD_WIN:-$KV_REPO/build/win}"
[[ -f "$build/idle_process.exe" ]] || { echo "seed: $build/idle_process.exe was not built" >&2; exit 1; }

# Output to a file, not a pipe: a server that Wine starts keeps the pipe open.
log="$prefix/seed-sample.log"

# reg import reads UTF-16 (with its byte-order mark) for text beyond ASCII.
reg_file="$prefix/drive_c/kv-sample-profile.reg"
{ printf '\xff\xfe'; sed 's/$/\r/' "$KV_REPO/tools/sample_profile.reg" | iconv -f UTF-8 -t UTF-16LE; } >"$reg_file"
timeout 120 wine reg import 'C:\kv-sample-profile.reg' </dev/null >"$log" 2>&1 || { echo "seed: reg import failed (see $log)" >&2; exit 1; }
rm -f "$reg_file"

folder="$prefix/drive_c/Kestravin Sample"
mkdir -p "$folder"
for name in sample_notes.exe qdownagent.exe; do
    cp "$build/idle_process.exe" "$folder/$name"
    setsid timeout 3700 wine "$folder/$name" --seconds 3600 </dev/null >/dev/null 2>&1 &
done
echo "seed: sample profile in $prefix (sample_notes.exe and qdownagent.exe started)"
