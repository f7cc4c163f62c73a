#!/usr/bin/python3
"""Windows' own processes under Wine: idle copies of a sample program running
as wininit.exe, SiHost.exe and dwm.exe are neither listed nor ended by a
PROCESS pass, while one running as notes.exe is listed and ended.

Wine marks no process critical and answers neither query for the mark, so
what protects the three here is their names (any letter case); the mark
itself is shown by the native tests over the fake process table.

Wine's own processes of the prefix (the service manager, the driver hosts,
the RPC and plug-and-play services, ...) are neither listed nor ended
either: each one running before the pass still runs after it, and the
menu's version check still reaches the server afterwards (with rpcss.exe or
plugplay.exe ended, WinINet could not).

Run from a script, /clean:PROCESS leaves the console that runs it alone:
the script goes on past the program (and writes its mark), while an
ordinary program beside it is ended.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import product  # noqa: E402
import scenario  # noqa: E402
import updates  # noqa: E402
import winetest  # noqa: E402
from winetest import check  # noqa: E402

TRACE_LIST = product.resource_id("IDC_TRACE_LIST")
PROTECTED = ["wininit.exe", "SiHost.exe", "dwm.exe"]
ORDINARY = "notes.exe"
# What a Wine 8 prefix runs of its own, as far as tests/probes/proclist.cpp
# sees it (the program protects more names: engine/processes/ProtectedProcesses.cpp).
WINE_OWN = {"services.exe", "winedevice.exe", "plugplay.exe", "rpcss.exe", "svchost.exe", "explorer.exe",
            "conhost.exe", "start.exe", "wineboot.exe", "winedbg.exe", "winemenubuilder.exe"}

CHAIN_FOLDER = "kvchain"
CHAIN_PROGRAM = "chained_notes.exe"

session = None
server = None
main_hwnd = None
window_proc = None


def listed_names():
    """The NAME column of the main window's trace list (tests/probes/winprobe.cpp --texts)."""
    code, out = session.run("winprobe.exe", "--texts", main_hwnd, str(TRACE_LIST), "0")
    check(code == 0, f"the trace list could not be read ({code})")
    return [line.rstrip("\r") for line in out.splitlines()]


def case_protected_processes_survive_a_process_pass():
    for category in ("GRID", "REGISTRY", "RECENT"):
        scenario.set_box(session, category, False)
    for name in PROTECTED + [ORDINARY]:
        path = scenario.install_program(session, "idle_process.exe", name)
        scenario.start_program(session, path, "--seconds", "300")
    for name in PROTECTED + [ORDINARY]:
        scenario.wait_for_process(session, name)

    wine_before = wine_own_processes()
    print(f"  Wine's own before the pass: {sorted(wine_before)}")
    check({"services.exe", "winedevice.exe"} <= {n.lower() for _, n in wine_before},
          f"the prefix runs no service manager or driver host: {sorted(wine_before)}")

    scenario.run_pass(session, server, "analysis", "btn_clean.bmp", 120)
    names = listed_names()
    print(f"  listed after analysis: {names}")
    check(ORDINARY in names, f"{ORDINARY} is not listed: {names}")
    listed = [n for n in names if n.lower() in {p.lower() for p in PROTECTED}]
    check(not listed, f"Windows' own processes are listed: {listed}")
    listed = [n for n in names if n.lower() in WINE_OWN]
    check(not listed, f"Wine's own processes are listed: {listed}")

    time.sleep(0.7)  # past the double-click time: a press of its own
    scenario.run_pass(session, server, "clean", "btn_analyse.bmp", 180)
    running = scenario.process_names(session)
    check(ORDINARY not in running, f"{ORDINARY} still runs after cleaning")
    gone = [n for n in PROTECTED if n not in running]
    check(not gone, f"cleaning ended {gone}")
    ended = sorted(wine_before - wine_own_processes())
    check(not ended, f"cleaning ended Wine's own {ended}")
    check(listed_names() == [], f"rows left after cleaning: {listed_names()}")


def wine_own_processes():
    """(pid, name) of every process of Wine's own running in the prefix."""
    return {(pid, name) for pid, name in scenario.processes(session) if name.lower() in WINE_OWN}


def case_version_check_reaches_the_server_after_the_pass():
    before = len(server.requests())
    session.click_button(main_hwnd, updates.CHECK_VERSION)
    box = session.wait_for_window("a box of the version check", lambda w: bool(w["text"]), timeout=60)
    check(box["text"] == updates.LATEST_TEXT, f"the version check showed {box['title']!r}: {box['text']!r}")
    check(server.requests()[before:][:1] == [updates.VERSION_QUERY],
          f"requests of the check: {server.requests()[before:]}")
    session.click_button(box["hwnd"], updates.IDOK)
    winetest.wait_until(lambda: not session.boxes(), 20, "the box to go")


def case_the_console_that_runs_a_clean_survives_it():
    # One copy at a time: the window's copy would make the script's refuse.
    window_proc.kill()
    window_proc.wait(timeout=30)
    winetest.wait_until(lambda: "Kestravin.exe" not in scenario.process_names(session), 30,
                        "the window's Kestravin.exe to end")
    path = scenario.install_program(session, "idle_process.exe", CHAIN_PROGRAM)
    scenario.start_program(session, path, "--seconds", "300")
    scenario.wait_for_process(session, CHAIN_PROGRAM)
    exe = session.install(CHAIN_FOLDER)
    mark = session.drive_c(CHAIN_FOLDER, "survived.txt")
    report = session.drive_c(CHAIN_FOLDER, "report.txt")
    script = (f"{exe} /clean:PROCESS /report:C:\\{CHAIN_FOLDER}\\report.txt"
              f" & echo survived> C:\\{CHAIN_FOLDER}\\survived.txt")
    code, _ = scenario.wine(session, "cmd", "/c", script, timeout=180)
    lines = open(report, encoding="utf-8-sig").read().splitlines() if os.path.exists(report) else []
    print(f"  cmd exited {code}; report: {lines}")
    check(os.path.exists(mark), "the console running /clean:PROCESS was ended before it could go on")
    check(CHAIN_PROGRAM not in scenario.process_names(session), f"{CHAIN_PROGRAM} still runs after /clean:PROCESS")
    check(not [line for line in lines if "cmd.exe" in line.lower()], f"the console is in the report: {lines}")


def main():
    global session, server, main_hwnd, window_proc
    with winetest.served_session("protected") as (s, served):
        session, server = s, served
        window_proc = s.start()
        s.find_window()
        main_hwnd = s.wait_for_main()["hwnd"]
        winetest.wait_until(lambda: server.count("run") == 1, 30, "the start-up request")
        winetest.run([
            ("PROCESS: wininit.exe, SiHost.exe, dwm.exe and Wine's own processes are neither listed nor "
             "ended, notes.exe is", case_protected_processes_survive_a_process_pass),
            ("after the PROCESS pass the menu's version check still reaches the server",
             case_version_check_reaches_the_server_after_the_pass),
            ("a script's console running /clean:PROCESS survives it; a program beside it does not",
             case_the_console_that_runs_a_clean_survives_it),
        ])


if __name__ == "__main__":
    main()
