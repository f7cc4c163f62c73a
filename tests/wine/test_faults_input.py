#!/usr/bin/python3
"""What a user can do to the program while a pass runs, under Wine.

One prefix, one program start (GRID and PROCESS unticked, so that no pass
ends Wine's own processes). Each pass is held open by the stand-in server:
its count request is answered late and then only in part, so the pass waits
on it for several seconds before it does its work. During such a pass:
  - ten clicks on the action button in one second run one pass;
  - the menu's start item is ignored, and the program-information window
    opens and closes; after the pass the same menu item does start one;
  - a second start of the program exits and leaves the first alone;
  - closing the window ends the process within seconds, deleting nothing.
Every case checks that the window still answers, what the registry lost,
the status line, and that nothing was written outside the program's folder.
"""
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import product  # noqa: E402
import scenario  # noqa: E402
import winetest  # noqa: E402
from winetest import check  # noqa: E402

APP_FOLDER = "Kestravin"
PROGRAM_INFO = product.resource_id("ID_PROGRAM_INFO")
INFO_OK = product.resource_id("IDC_INFO_OK")
INFO_SIZE = (product.number("info::kWindowWidth"), product.number("info::kWindowHeight"))
CLOSE_POINT = product.centre(product.rect("kCloseHot"))
MENU_POINT = (300, 90)  # a bare spot of the skin: no hot spot, no control
ANALYSED_FOUND = product.text("kCleanPrompt")
ANALYSED_NONE = product.text("kNoItems")
TYPED_URLS = r"HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\TypedURLs"
SEEDS = [(TYPED_URLS, f"url{i}", "sz", f"http://example{i}.com/") for i in range(1, 41)]
SEEDED_NAMES = {(TYPED_URLS.lower(), name.lower()) for _, name, _, _ in SEEDS}
# The count request is held this long before its headers (under the
# program's 4 s receive time-out), then half its body comes and the rest
# never does: the pass waits about eight seconds in all.
HOLD_DELAY_S = 3.5
PASS_BOUND_S = 25

session = None
server = None
proc = None
main_hwnd = None
files_before = None


def count(mode):
    return server.count(mode)


def hold_next_pass(mode):
    """Arms the server so that the next pass's count request is held; returns the count before it."""
    server.control(delay=HOLD_DELAY_S, partial=1)
    return count(mode)


def pass_started(mode, before):
    """Waits for the held pass's request, then lets every later request through at once."""
    winetest.wait_until(lambda: count(mode) >= before + 1, 30, f"the mode={mode} request")
    server.control(delay=0, partial=0)


def start_held_pass(mode):
    """Presses the action button for a held pass; returns the registry before it and the count before it."""
    registry = scenario.export_registry(session, "HKCU")
    time.sleep(0.7)  # past the double-click time of the last case's clicks
    before = hold_next_pass(mode)
    scenario.press_action(session)
    pass_started(mode, before)
    return registry, before


def wait_for_face(bitmap, what):
    winetest.wait_until(lambda: scenario.action_face_is(session, bitmap), PASS_BOUND_S, what, interval=0.5)


def info_window(w):
    left, top, right, bottom = w["rect"]
    return w["cls"] == "#32770" and not w["title"] and (right - left, bottom - top) == INFO_SIZE


def check_answers(what):
    check(scenario.answers(session, main_hwnd), f"the main window did not answer within 2 s {what}")


def check_status(text, other, what):
    shot = session.client_shot()
    if not scenario.status_reads(shot, text, other):
        kept = os.path.join(tempfile.gettempdir(), "kv-faults-input-status.png")
        shot.save(kept)
        check(False, f"{what}: the status line does not read {text!r} (screen in {kept})")


def lost_values(before):
    """(key, value name) pairs the registry had before and has no longer."""
    return scenario.value_names(before) - scenario.value_names(scenario.export_registry(session, "HKCU"))


def check_nothing_written_outside():
    outside = scenario.written_outside(session, files_before, APP_FOLDER)
    check(not outside, f"files written outside C:\\{APP_FOLDER}: {outside[:10]}")


def first_menu_item():
    """Right-clicks the window and clicks the menu's first item (32771)."""
    session.click(*MENU_POINT, button=3)
    menu = session.wait_for_window("the popup menu", lambda w: w["cls"] == "#32768", 10)
    left, top, _, _ = menu["rect"]
    session.xdotool("mousemove", str(left + 40), str(top + 12), "click", "1")
    session.move_away()
    winetest.wait_until(lambda: not any(w["cls"] == "#32768" for w in session.windows()), 10,
                        "the popup menu to close")


def case_rapid_clicks_run_one_pass():
    registry = scenario.export_registry(session, "HKCU")
    before = hold_next_pass("analysis")
    x, y = session.origin[0] + scenario.ACTION_POINT[0], session.origin[1] + scenario.ACTION_POINT[1]
    start = time.monotonic()
    session.xdotool("mousemove", str(x), str(y), "click", "--repeat", "10", "--delay", "100", "1")
    clicking = time.monotonic() - start
    session.move_away()
    pass_started("analysis", before)
    check_answers("while a held pass runs")
    wait_for_face("btn_clean.bmp", "the analysis to find the seeded history")
    time.sleep(2.0)  # a second pass would have sent its request at once
    print(f"  10 clicks took {clicking:.1f} s; the pass ended {time.monotonic() - start - 2:.1f} s after the first")
    check(count("analysis") == before + 1, f"{count('analysis') - before} analysis requests for 10 clicks")
    check(count("clean") == 0, "a click during the analysis started a cleaning pass")
    check_status(ANALYSED_FOUND, ANALYSED_NONE, "after the analysis")
    lost = lost_values(registry)
    check(not lost, f"an analysis deleted values: {sorted(lost)[:5]}")
    check_nothing_written_outside()


def case_menu_during_pass():
    registry = scenario.export_registry(session, "HKCU")
    time.sleep(0.7)  # past the double-click time of the last case's clicks
    before_clean, before_analysis = hold_next_pass("clean"), count("analysis")
    scenario.press_action(session)
    pass_started("clean", before_clean)
    first_menu_item()  # reads "정리시작" here: rows are still pending
    session.click_button(main_hwnd, PROGRAM_INFO)
    info = session.wait_for_window("the program-information window", info_window, 20)
    session.click_button(info["hwnd"], INFO_OK)
    winetest.wait_until(lambda: not any(info_window(w) for w in session.windows()), 10,
                        "the program-information window to close")
    check(scenario.action_face_is(session, "btn_clean.bmp"),
          "the held cleaning pass ended before the menu was tried: the case proves nothing")
    check_answers("after the menu during a pass")
    wait_for_face("btn_analyse.bmp", "the cleaning pass to end")
    time.sleep(2.0)
    check(count("clean") == before_clean + 1, f"{count('clean') - before_clean} clean requests for one pass")
    check(count("analysis") == before_analysis, "the menu item started an analysis after the cleaning")
    check_status(scenario.CLEAN_DONE, ANALYSED_FOUND, "after the cleaning")
    lost = lost_values(registry)
    check(lost <= SEEDED_NAMES, f"cleaning deleted what it did not list: {sorted(lost - SEEDED_NAMES)[:5]}")
    check(lost == SEEDED_NAMES, f"{len(SEEDED_NAMES - lost)} of the listed values were left")
    # The same menu item with no pass running does start one: the clicks above hit it.
    first_menu_item()
    winetest.wait_until(lambda: count("analysis") == before_analysis + 1, 20, "the menu item to start an analysis")
    winetest.wait_until(lambda: scenario.status_reads(session.client_shot(), ANALYSED_NONE, ANALYSED_FOUND),
                        PASS_BOUND_S, "the menu's analysis to end finding nothing", interval=0.5)
    check_nothing_written_outside()


def case_second_instance_during_pass():
    scenario.import_values(session, SEEDS)
    registry, before = start_held_pass("analysis")
    start = time.monotonic()
    second = scenario.start_program(session, os.path.join(winetest.BUILD, "Kestravin.exe"))
    winetest.wait_until(lambda: second.poll() is not None, 30, "the second instance to exit")
    code, seconds = second.returncode, time.monotonic() - start
    print(f"  the second instance exited with {code} after {seconds:.1f} s")
    check(code == 0, f"the second instance exited with {code}")
    facts = session.probe()
    check(facts["count"] == 1 and facts["visible_count"] == 1, f"windows titled Kestravin: {facts}")
    check(proc.poll() is None, "the first instance ended")
    check_answers("after a second start during a pass")
    wait_for_face("btn_clean.bmp", "the held analysis to end after the second start")
    check_status(ANALYSED_FOUND, ANALYSED_NONE, "after the analysis beside a second start")
    check(count("analysis") == before + 1, f"{count('analysis') - before} analysis requests")
    lost = lost_values(registry)
    check(not lost, f"values deleted: {sorted(lost)[:5]}")
    check_nothing_written_outside()


def case_close_during_pass():
    registry, before = start_held_pass("clean")
    start = time.monotonic()
    session.click(*CLOSE_POINT)
    winetest.wait_until(lambda: proc.poll() is not None, 10, "the process to end after the close hot spot")
    print(f"  the process ended {time.monotonic() - start:.1f} s after the close click, mid-pass")
    time.sleep(1.0)
    check(not [w for w in session.windows() if w["title"] == winetest.TITLE], "a Kestravin window is left")
    lost = lost_values(registry)
    check(not lost, f"a cleaning closed before its work deleted values: {sorted(lost)[:5]}")
    check_nothing_written_outside()


def main():
    global session, server, proc, main_hwnd, files_before
    workdir = tempfile.mkdtemp(prefix="kv-faults-input-")
    server = winetest.StandIn(workdir)
    try:
        with winetest.Session(extra_env={"KESTRAVIN_SERVER": server.base}) as s:
            session = s
            scenario.import_values(s, SEEDS)
            exe = s.install(APP_FOLDER)
            files_before = scenario.drive_c_files(s)
            proc = s.start_at(exe)
            s.find_window()
            main_hwnd = s.wait_for_main()["hwnd"]
            winetest.wait_until(lambda: count("run") == 1, 30, "the start-up request")
            scenario.set_box(s, "GRID", False)
            scenario.set_box(s, "PROCESS", False)
            winetest.run([
                ("ten clicks in a second run one pass", case_rapid_clicks_run_one_pass),
                ("the menu during a pass: start ignored, program information opens and closes",
                 case_menu_during_pass),
                ("a second start during a pass exits and leaves the first", case_second_instance_during_pass),
                ("closing during a pass ends the process and deletes nothing", case_close_during_pass),
            ])
    finally:
        server.stop()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == "__main__":
    main()
