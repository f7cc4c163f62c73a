#!/usr/bin/python3
"""Usage-count requests as the stand-in server sees them.

Start-up sends mode=run; the action button's analysis and cleaning passes
send mode=analysis and mode=clean; with a slow server, a second press while
the first pass still waits on its request starts no second pass.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scenario  # noqa: E402
import winetest  # noqa: E402
from winetest import check  # noqa: E402

# The Run box history (a RECENT source): gives analysis one trace to find.
SEED_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU"

session = None
server = None


def seed():
    session.reg("add", SEED_KEY, "/v", "a", "/t", "REG_SZ", "/d", "notepad\\1", "/f")
    session.reg("add", SEED_KEY, "/v", "MRUList", "/t", "REG_SZ", "/d", "a", "/f")


def counts(mode):
    return server.count(mode)


def action_face_is(bitmap):
    return scenario.action_face_is(session, bitmap)


def press_action():
    scenario.press_action(session)


def case_start_up_request():
    winetest.wait_until(lambda: counts("run") == 1, 30, "the start-up request")
    # The version query comes first (start-up checks for an update before it counts).
    first_count = next(r for r in server.requests() if r.startswith("/request/"))
    check(first_count == winetest.usage_request("run"), f"first count request was {first_count!r}")
    check(counts("analysis") == 0 and counts("clean") == 0, "a pass request before any press")


def case_analysis_then_clean():
    press_action()
    winetest.wait_until(lambda: counts("analysis") == 1, 30, "the analysis request")
    winetest.wait_until(lambda: action_face_is("btn_clean.bmp"), 60, "the analysis to find the seeded trace")
    check(counts("clean") == 0, "cleaning was requested by the analysis press")
    time.sleep(0.7)  # past the double-click time: a separate press
    press_action()
    winetest.wait_until(lambda: counts("clean") == 1, 30, "the cleaning request")
    winetest.wait_until(lambda: action_face_is("btn_analyse.bmp"), 60, "the cleaning pass to end")
    check(counts("analysis") == 1, f"{counts('analysis')} analysis requests")


def case_slow_server_one_pass():
    time.sleep(1.0)  # the face changes just before the previous pass ends
    seed()  # cleaning removed the trace: give this analysis one to find again
    before = counts("analysis")
    server.control(delay=3)
    press_action()
    winetest.wait_until(lambda: counts("analysis") == before + 1, 30, "the slow analysis request")
    time.sleep(0.7)
    press_action()  # while the first pass still waits for the server
    time.sleep(0.7)
    press_action()
    winetest.wait_until(lambda: action_face_is("btn_clean.bmp"), 60, "the slow analysis to end")
    time.sleep(4)  # room for a second pass's request to arrive, had one started
    check(counts("analysis") == before + 1, f"{counts('analysis') - before} analysis requests for one pass")
    check(counts("clean") == 1, "a press during the pass started a cleaning pass")


def main():
    global session, server
    with winetest.served_session("usage") as (s, served):
        session, server = s, served
        seed()
        s.start()
        s.find_window()
        # Only the registry categories: cleaning must not end Wine's own processes.
        s.click(*scenario.BOX_POINTS["GRID"])
        time.sleep(0.7)
        s.click(*scenario.BOX_POINTS["PROCESS"])
        s.move_away()
        winetest.run([
            ("start-up sends mode=run", case_start_up_request),
            ("two presses send mode=analysis, then mode=clean", case_analysis_then_clean),
            ("with a slow server, quick presses run one pass", case_slow_server_one_pass),
        ])


if __name__ == "__main__":
    main()
