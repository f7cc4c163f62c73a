#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz/*.cpp) with clang into build/fuzz
# and runs each for a bounded time on a copy of its seed corpus in
# tests/fuzz/corpus/<target>, so the committed corpus does not grow.
# A crash input is kept in build/fuzz/crashes/<target>/.
# Usage: tools/fuzz.sh [seconds per target, default 15] [target...]
# The random seed is fixed (KV_FUZZ_SEED, default 1) and each target stops
# after the number of inputs below, so that the test run repeats the same
# search on every machine: a faster one does not wander past what was tried
# here, a slower one stops early on the same path. KV_FUZZ_SEED=0 lets
# libFuzzer pick a new seed and lifts the counts, for exploring beyond them;
# what that finds becomes a seed of the corpus.
set -euo pipefail

KV_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-15}"
shift || true
build="${KV_FUZZ_BUILD:-$KV_REPO/build/fuzz}"

# Inputs per target: about what 15 s give each on this project's machines.
declare -A runs=(
    [fuzz_browser_rows]=40000
    [fuzz_command_line]=500000
    [fuzz_compound_file]=450000
    [fuzz_cp949]=1500000
    [fuzz_custom_destinations]=1500000
    [fuzz_dest_list]=600000
    [fuzz_history_names]=1500000
    [fuzz_history_scan]=4000
    [fuzz_jump_list_scan]=5000
    [fuzz_shell_items]=1400000
    [fuzz_shell_link]=2000000
    [fuzz_update_file]=1500000
    [fuzz_version_reply]=200000
)

targets=("$@")
if ((${#targets[@]} == 0)); then
    for src in "$KV_REPO"/tests/fuzz/*.cpp; do targets+=("$(basename "$src" .cpp)"); done
fi

CC=clang CXX=clang++ cmake -S "$KV_REPO" -B "$build" -DKV_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target "${targets[@]}"

failed=0
for target in "${targets[@]}"; do
    work="$build/run/$target"
    crashes="$build/crashes/$target"
    rm -rf "$work"
    mkdir -p "$work" "$crashes"
    if [[ -d "$KV_REPO/tests/fuzz/corpus/$target" ]]; then
        cp -a "$KV_REPO/tests/fuzz/corpus/$target/." "$work/"
    fi
    # Inputs as long as the longest seed at least: a real jump list is a few
    # sectors of a compound file, and a cut one only tries the error paths.
    max_len=4096
    for seed in "$work"/*; do
        [[ -f "$seed" ]] || continue
        size="$(stat -c %s "$seed")"
        ((size > max_len)) && max_len="$size"
    done
    log="$build/$target.log"
    status=0
    limit=()
    if [[ "${KV_FUZZ_SEED:-1}" != 0 && -n "${runs[$target]:-}" ]]; then limit=(-runs="${runs[$target]}"); fi
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ASAN_OPTIONS=detect_leaks=1 \
        timeout --kill-after=10 $((seconds + 60)) "$build/$target" "$work" \
        -max_total_time="$seconds" -seed="${KV_FUZZ_SEED:-1}" -rss_limit_mb=2048 -timeout=10 -max_len="$max_len" \
        -print_final_stats=1 -artifact_prefix="$crashes/" "${limit[@]}" >"$log" 2>&1 || status=$?
    # The closing status line and the figures libFuzzer prints at the end.
    summary="$(grep -E '^#[0-9]+.*(DONE|cov:)' "$log" | tail -n 1 || true)"
    execs="$(grep -E '^stat::average_exec_per_sec' "$log" | awk '{print $2}' || true)"
    if [[ "$status" == 0 ]]; then
        echo "fuzz: PASS  $target  ${execs:-?} exec/s  $summary"
    else
        failed=$((failed + 1))
        echo "fuzz: FAIL  $target (exit $status), log ${log#"$KV_REPO"/}:"
        tail -n 40 "$log" | sed 's/^/    /'
    fi
done
echo "fuzz: $((${#targets[@]} - failed)) passed, $failed failed"
((failed == 0))
