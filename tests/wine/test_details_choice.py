#!/usr/bin/python3
"""The details window's check boxes under Wine, on the sample profile.

The registry categories only (GRID and PROCESS unticked, so that cleaning
never ends Wine's own processes): analyse, open the details window, untick
one typed address and, with one click, every REGISTRY row, press 정리시작.
A whole-registry diff then shows that address and the IntelliForms values
still there and every other listed value gone; the trace list is empty.
"""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import product  # noqa: E402
import scenario  # noqa: E402
import winetest  # noqa: E402
from details_list import TRACE_LIST, open_windows, probe_lines, ticks, untick  # noqa: E402
from winetest import check  # noqa: E402

DETAILS_POINT = product.centre(product.rect("kDetailsHot"))
DETAILS_CLEAN = product.centre(product.rect("kAction"))
TICKED_RECT = product.rect("details::kTickedText")
SAMPLE_SCRIPT = os.path.join(winetest.REPO, "tools", "seed_sample_profile.sh")
COL_NAME, COL_CODE, COL_REGKEY, COL_VALUE = 0, 2, 3, 4

session = None
server = None
facts = {}


def case_analysis():
    for code in ("GRID", "PROCESS"):
        scenario.set_box(session, code, False)
    facts["before"] = scenario.export_registry(session, "HKCU") | scenario.export_registry(session, "HKLM")
    scenario.run_pass(session, server, "analysis", "btn_clean.bmp", 120)


def case_untick_rows():
    for _ in range(3):
        session.click(*DETAILS_POINT)
        session.move_away()
        try:
            found = winetest.wait_until(lambda: open_windows(session), 5, "the details window")
            break
        except winetest.TestFailure:
            continue
    else:
        raise winetest.TestFailure("the details window did not open")
    details = found[0]
    hwnd = details["hwnd"]
    facts["details"] = details
    time.sleep(1.0)
    column = {c: probe_lines(session, "--texts", hwnd, str(TRACE_LIST), str(c)) for c in (COL_NAME, COL_CODE, COL_REGKEY,
                                                                             COL_VALUE)}
    rows = list(zip(column[COL_NAME], column[COL_CODE], column[COL_REGKEY], column[COL_VALUE]))
    facts["rows"] = rows
    check(rows and all(ticks(session, hwnd)), f"not every row is ticked at open: {ticks(session, hwnd)}")
    typed = [i for i, r in enumerate(rows) if r[1] == "RECENT" and r[2].endswith("\\TypedURLs")]
    forms = [i for i, r in enumerate(rows) if r[1] == "REGISTRY"]
    check(len(typed) >= 2 and len(forms) >= 2, f"the sample profile's rows are missing: {rows}")
    ox, oy = details["rect"][:2]
    shot_before = session.screenshot().crop((ox + TICKED_RECT[0], oy + TICKED_RECT[1],
                                             ox + TICKED_RECT[2], oy + TICKED_RECT[3]))

    untick(session, hwnd, typed[0])
    state = ticks(session, hwnd)
    check(sum(not s for s in state) == 1, f"unticking one typed address unticked {state}")
    untick(session, hwnd, forms[-1])
    state = ticks(session, hwnd)
    unticked = {i for i, s in enumerate(state) if not s}
    check(unticked == {typed[0], *forms}, f"one click on a REGISTRY box should untick all {forms}: {unticked}")
    facts["kept"] = {typed[0], *forms}

    shot_after = session.screenshot().crop((ox + TICKED_RECT[0], oy + TICKED_RECT[1],
                                            ox + TICKED_RECT[2], oy + TICKED_RECT[3]))
    check(list(shot_before.getdata()) != list(shot_after.getdata()), "the ticked count did not change on screen")


def case_clean_keeps_the_unticked():
    details = facts["details"]
    cleans = server.count("clean")
    left, top = details["rect"][:2]
    session.xdotool("mousemove", str(left + DETAILS_CLEAN[0]), str(top + DETAILS_CLEAN[1]), "click", "1")
    winetest.wait_until(lambda: not open_windows(session), 10, "button 1009 to close the window")
    winetest.wait_until(lambda: server.count("clean") == cleans + 1, 30, "the cleaning pass")
    winetest.wait_until(lambda: scenario.action_face_is(session, "btn_analyse.bmp"), 120, "the pass to end")
    main_hwnd = session.wait_for_main()["hwnd"]
    winetest.wait_until(lambda: session.item_count(main_hwnd, TRACE_LIST) == 0, 30, "the trace list to empty")

    after = scenario.export_registry(session, "HKCU") | scenario.export_registry(session, "HKLM")
    before = facts["before"]
    # The first WinINet call of a prefix writes its Internet Settings: not ours.
    removed = {(k, n) for k, n, _ in before - after if n is not None and "\\internet settings" not in k}
    listed = {(r[2].lower(), r[3].lower()): i for i, r in enumerate(facts["rows"]) if r[1] == "RECENT"}
    expected = {value for value, i in listed.items() if i not in facts["kept"]}
    check(removed == expected, f"removed but not listed: {sorted(removed - expected)}; "
                               f"listed but kept: {sorted(expected - removed)}")
    typed_row = facts["rows"][min(i for i in facts["kept"] if facts["rows"][i][1] == "RECENT")]
    typed_value = (typed_row[2].lower(), typed_row[3].lower())
    check(any((k, n) == typed_value for k, n, _ in after), f"the unticked address {typed_value} is gone")
    forms_after = {(k, n) for k, n, _ in after if "\\intelliforms\\" in k and n is not None}
    forms_before = {(k, n) for k, n, _ in before if "\\intelliforms\\" in k and n is not None}
    check(forms_before and forms_after == forms_before, "the IntelliForms values did not all stay")
    print(f"  {len(removed)} listed values cleaned; the unticked address and "
          f"{len(forms_after)} IntelliForms values kept")


def main():
    global session, server
    with winetest.served_session("choice") as (s, srv):
        session, server = s, srv
        done = subprocess.run(["bash", SAMPLE_SCRIPT, s.prefix], env=s.env, stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
        check(done.returncode == 0, f"seed_sample_profile.sh failed: {done.stdout.decode()[-400:]}")
        s.start()
        s.find_window()
        winetest.wait_until(lambda: server.count("run") == 1, 30, "the start-up request")
        winetest.run([
            ("sample profile, GRID and PROCESS unticked: the analysis finds traces", case_analysis),
            ("details: every row ticked at open; one typed address and, with one click, every REGISTRY row "
             "unticked; the ticked count follows", case_untick_rows),
            ("details 1009: the unticked rows stay in the registry, every other listed value goes, "
             "the list empties", case_clean_keeps_the_unticked),
        ])


if __name__ == "__main__":
    main()
