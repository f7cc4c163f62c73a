#!/usr/bin/env bash
# The test command: installs what is missing, builds everything, and runs
# every suite, each bounded in time:
#   native unit tests (plain, ThreadSanitizer, AddressSanitizer+UBSan),
#   the libFuzzer targets (tools/fuzz.sh, 15 s each),
#   the artwork check, the contract suite under Wine against the real
#   Windows calls, and every tests/wine/test_*.py against Kestravin.exe.
# Prints one line per suite and closes with "N passed, N failed" (suites);
# exits non-zero when any suite failed. Logs: build/test-logs/.
set -euo pipefail

KV_REPO="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export KV_REPO
cd "$KV_REPO"

timeout 1200 bash tools/setup.sh </dev/null
source "$KV_REPO/tools/wine_env.sh"
source "$KV_REPO/tools/stand_in.sh"

LOGS="$KV_REPO/build/test-logs"
mkdir -p "$LOGS"
rm -f "$LOGS"/*.log

passed=0
failed=0
results=()

# record NAME STATUS LOG: one result line; a failure shows the end of its log.
record() {
    local name="$1" status="$2" log="$3"
    if [[ "$status" == 0 ]]; then
        passed=$((passed + 1))
        results+=("PASS  $name")
        echo "test: PASS  $name"
    else
        failed=$((failed + 1))
        results+=("FAIL  $name (exit $status, log ${log#"$KV_REPO"/})")
        echo "test: FAIL  $name (exit $status) — last lines of ${log#"$KV_REPO"/}:"
        tail -n 40 "$log" | sed 's/^/    /'
    fi
}

# suite NAME SECONDS COMMAND...: runs one suite with its output in a log.
suite() {
    local name="$1" seconds="$2"; shift 2
    local log="$LOGS/${name//[^A-Za-z0-9_.-]/_}.log"
    local start=$SECONDS status=0
    echo "test: running $name"
    # Through bash, so that a command may be one of the functions exported below.
    timeout --kill-after=30 "$seconds" bash -c '"$@"' _ "$@" </dev/null >"$log" 2>&1 || status=$?
    echo "($((SECONDS - start)) s)" >>"$log"
    record "$name" "$status" "$log"
}

server_pid=""
cleanup() {
    if [[ -n "$server_pid" ]]; then kill "$server_pid" 2>/dev/null || true; fi
    if [[ -d "$KV_REPO/build/wine-contract" ]]; then kv_wine_stop "$KV_REPO/build/wine-contract"; fi
}
trap cleanup EXIT

# --- build: stale test programs must not stand in for ones that failed to build
rm -f build/native/unit_tests build/tsan/unit_tests build/asan/unit_tests \
      build/win/contract_tests.exe build/win/Kestravin.exe build/win32/Kestravin.exe
suite build 2400 bash tools/build.sh --sanitizers

# --- native
run_unit() {  # run_unit DIR [env...]
    local dir="$1"; shift
    if [[ ! -x "$dir/unit_tests" ]]; then echo "$dir/unit_tests was not built"; return 1; fi
    env "$@" "$dir/unit_tests"
}
export -f run_unit
suite "unit_tests" 600 run_unit build/native
# setarch -R: TSan needs the address layout it was built for.
suite "unit_tests (tsan)" 900 setarch "$(uname -m)" -R bash -c \
    '[[ -x build/tsan/unit_tests ]] || { echo "build/tsan/unit_tests was not built"; exit 1; }
     TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" build/tsan/unit_tests'
suite "unit_tests (asan+ubsan)" 900 run_unit build/asan \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
suite "fuzz (libFuzzer, 15 s per target)" 900 bash tools/fuzz.sh 15
suite "check_layers" 120 /usr/bin/python3 tools/check_layers.py --self-test

if [[ -f tools/check_art.py ]]; then
    suite "check_art" 300 /usr/bin/python3 tools/check_art.py
fi

# --- Wine
export KV_TEMPLATE_PREFIX="$KV_REPO/build/wine-template"
suite "wine template prefix" 600 bash tools/wine_prefix.sh "$KV_TEMPLATE_PREFIX"

# The contract suite's network tests talk to this one; without it they
# could only skip, so a server that does not start is a failure of its own.
if kv_start_stand_in build/stand-in.port "$LOGS/stand-in-requests.txt" "$LOGS/stand-in.log"; then
    server_pid="$KV_STAND_IN_PID"
    export KV_TEST_SERVER="$KV_STAND_IN_URL"
else
    record "stand-in server" 1 "$LOGS/stand-in.log"
fi

run_contract() {
    local prefix="$KV_REPO/build/wine-contract"
    [[ -x build/win/contract_tests.exe ]] || { echo "build/win/contract_tests.exe was not built"; return 1; }
    [[ -f "$KV_TEMPLATE_PREFIX/.kestravin-prefix" ]] || { echo "no template prefix"; return 1; }
    kv_check_prefix "$prefix"
    if [[ -d "$prefix" ]]; then kv_wine_stop "$prefix"; rm -rf "$prefix"; fi
    cp -a "$KV_TEMPLATE_PREFIX" "$prefix"
    # A private display: the suite shows a program's window and asks it to
    # close, which Wine cannot do without one.
    local display_file="$KV_REPO/build/contract-xvfb.display" xvfb_pid
    rm -f "$display_file"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 </dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do [[ -s "$display_file" ]] && break; sleep 0.1; done
    [[ -s "$display_file" ]] || { echo "Xvfb did not start"; kill "$xvfb_pid" 2>/dev/null; return 1; }
    local status=0
    DISPLAY=":$(cat "$display_file")" WINEPREFIX="$prefix" wine build/win/contract_tests.exe || status=$?
    kv_wine_stop "$prefix"
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    rm -rf "$prefix" "$display_file"
    return "$status"
}
export -f run_contract kv_check_prefix kv_wine_stop
suite "contract_tests.exe (wine, $KV_WINE_ARCH)" 900 run_contract

export KV_BUILD_WIN="$KV_REPO/build/win" KV_STAND_IN="$KV_REPO/tools/stand_in_server.py"
shopt -s nullglob
wine_tests=(tests/wine/test_*.py)
if ((${#wine_tests[@]} == 0)); then
    record "tests/wine" 1 /dev/null
    echo "test: no tests/wine/test_*.py found"
fi
for t in "${wine_tests[@]}"; do
    suite "$t" 900 /usr/bin/python3 "$t"
done

echo
echo "test: summary"
for line in "${results[@]}"; do echo "  $line"; done
# What ran under Wine, said where it is read: the 64-bit build stands in for
# the 32-bit product on a kernel that cannot start 32-bit programs.
case "$KV_WINE_ARCH" in
    win32)
        echo "test: the Wine suites ran the 32-bit product, build/win/Kestravin.exe, under 32-bit Wine" ;;
    win64)
        if [[ -f build/win32/Kestravin.exe ]]; then built="compiled only"; else built="and it was not even built"; fi
        echo "test: the 32-bit product, build/win32/Kestravin.exe, was NOT run ($built): this machine cannot run 32-bit programs"
        echo "test: the Wine suites ran the 64-bit build of the same sources instead: build/win/Kestravin.exe under wine64" ;;
    *)
        echo "test: no Wine on this machine: no Windows build was run" ;;
esac
echo "$passed passed, $failed failed"
((failed == 0))
