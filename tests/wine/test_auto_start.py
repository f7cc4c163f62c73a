#!/usr/bin/python3
"""Auto-start with Windows under Wine: the popup menu's "윈도우시작시 자동실행".

The program runs from "C:\\Program Files\\Kes Test\\", a directory with a
blank, and then from a folder deep enough that its quoted path no longer
fits the 260-byte read. Each case stages the Run value with reg.exe, opens
the menu with a right click, reads the check mark from a screenshot, clicks
the item and reads the value back with reg.exe.
"""
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import product  # noqa: E402
import winetest  # noqa: E402
from winetest import check  # noqa: E402

RUN_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Run"
FOLDER = "Program Files\\Kes Test"
COMMAND = '"C:\\Program Files\\Kes Test\\Kestravin.exe"'
MENU_POINT = (250, 60)   # a plain point of the skin: the right click opens the menu there
AUTO_START_ROW = 1       # second item with text: "분석시작", "윈도우시작시 자동실행", ...
USAGE_ROW = 2            # then "사용 통계 보내기", ticked unless switched off
MENU_ROWS = 7
USAGE_KEY = "HKCU\\" + product.text_in("net/UsageSwitch.h", "kSettingsKey")
USAGE_VALUE = product.text_in("net/UsageSwitch.h", "kSendUsageValue")
DARK = 110

session = None


def run_value():
    """The Run value's data, or None when there is none."""
    code, out = session.reg("query", RUN_KEY, "/v", "Kestravin")
    if code != 0:
        return None
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if parts and parts[0] == "Kestravin":
            return parts[2] if len(parts) > 2 else ""
    return None


def set_value(data):
    code, _ = session.reg("add", RUN_KEY, "/v", "Kestravin", "/t", "REG_SZ", "/d", data, "/f")
    check(code == 0, "reg add failed")


def usage_value():
    """The usage switch's DWORD, or None when there is none."""
    code, out = session.reg("query", USAGE_KEY, "/v", USAGE_VALUE)
    if code != 0:
        return None
    for line in out.splitlines():
        parts = line.strip().split(None, 2)
        if len(parts) == 3 and parts[0] == USAGE_VALUE and parts[1] == "REG_DWORD":
            return int(parts[2], 16)
    return None


def delete_value():
    session.reg("delete", RUN_KEY, "/v", "Kestravin", "/f")


def open_menu():
    """Right-clicks the window; returns the menu's screen rectangle and its picture."""
    session.click(*MENU_POINT, button=3)
    menu = session.wait_for_window("the popup menu", lambda w: w["cls"] == "#32768", 20)
    # The pointer stays on the menu's corner, where it highlights no item:
    # without a window manager, keys go to the window under the pointer.
    time.sleep(0.5)
    left, top, right, bottom = menu["rect"]
    return menu["rect"], session.screenshot().crop((left, top, right, bottom)).convert("L")


def text_rows(picture):
    """(top, bottom) of each band of dark rows: the items' texts (separators are lighter).
    Small Hangul glyphs have blank rows inside them, so gaps of a few rows are bridged."""
    w, h = picture.size
    px = picture.load()
    dark_rows = [y for y in range(h) if any(px[x, y] < DARK for x in range(w))]
    bands = []
    for y in dark_rows:
        if bands and y <= bands[-1][1] + 4:
            bands[-1][1] = y
        else:
            bands.append([y, y])
    return [(a, b) for a, b in bands if b - a >= 4]


def item_ink(picture, band):
    """The column of every dark pixel in one item's row."""
    w, _ = picture.size
    px = picture.load()
    columns = [x for x in range(w) for y in range(band[0], band[1] + 1) if px[x, y] < DARK]
    return columns


def read_check_mark(row=AUTO_START_ROW):
    """True when the item of that text row (the auto-start item unless told)
    shows a check mark; closes the menu again."""
    _, picture = open_menu()
    rows = text_rows(picture)
    check(len(rows) == MENU_ROWS, f"the menu shows {len(rows)} text rows, not {MENU_ROWS}")
    # Every item's text starts at the same column; a check mark is ink left
    # of it. The two items that may carry one are not taken as the measure.
    text_left = min(min(item_ink(picture, r)) for i, r in enumerate(rows) if i not in (AUTO_START_ROW, USAGE_ROW))
    marked = [x for x in item_ink(picture, rows[row]) if x < text_left - 2]
    session.xdotool("key", "Escape")
    winetest.wait_until(lambda: not any(w["cls"] == "#32768" for w in session.windows()), 10, "the menu to close")
    return bool(marked)


def toggle_from_menu(row=AUTO_START_ROW):
    rect, picture = open_menu()
    top, bottom = text_rows(picture)[row]
    left, menu_top, right, _ = rect
    session.xdotool("mousemove", str((left + right) // 2), str(menu_top + (top + bottom) // 2), "click", "1")
    winetest.wait_until(lambda: not any(w["cls"] == "#32768" for w in session.windows()), 10, "the menu to close")
    time.sleep(0.5)


def case_no_value_toggles_on_and_off():
    delete_value()
    check(not read_check_mark(), "a check mark without a Run value")
    toggle_from_menu()
    check(run_value() == COMMAND, f"written {run_value()!r}, expected {COMMAND!r}")
    check(read_check_mark(), "no check mark with the value written")
    toggle_from_menu()
    check(run_value() is None, f"the value is still there: {run_value()!r}")
    check(not read_check_mark(), "the check mark stayed after the value was deleted")


def case_zero_counts_as_off_and_is_overwritten():
    set_value("0")
    check(not read_check_mark(), 'a check mark for the value "0"')
    toggle_from_menu()
    check(run_value() == COMMAND, f'"0" became {run_value()!r}')


def case_too_long_counts_as_off_and_is_overwritten():
    set_value("C:\\" + "x" * 296 + ".exe")  # 303 characters: beyond the 260-byte read
    check(not read_check_mark(), "a check mark for a value too long to read")
    toggle_from_menu()
    check(run_value() == COMMAND, f"the long value became {run_value()!r}")


def case_other_directory_counts_as_on_and_is_deleted():
    set_value('"D:\\Elsewhere\\Kestravin.exe"')
    check(read_check_mark(), "no check mark for another copy's value")
    toggle_from_menu()
    check(run_value() is None, f"another copy's value was not deleted: {run_value()!r}")


# The deepest folder whose program path still fits the 260-byte module path
# and the read, but whose quoted command (two bytes more) no longer fits.
LONG_FOLDER = "Kes Long\\" + "d" * 232
LONG_COMMAND = '"C:\\' + LONG_FOLDER + '\\Kestravin.exe"'


def case_own_value_too_long_to_read_is_switched_off():
    check(len("C:\\" + LONG_FOLDER + "\\Kestravin.exe") == 258, "the long folder has the wrong length")
    delete_value()
    toggle_from_menu()
    check(run_value() == LONG_COMMAND, f"written {run_value()!r}, expected {LONG_COMMAND!r}")
    check(not read_check_mark(), "a check mark for a value too long to read")
    toggle_from_menu()
    check(run_value() is None, f"the program's own long value could not be switched off: {run_value()!r}")


def case_usage_switch_from_menu():
    check(usage_value() is None, f"a usage switch value before any use: {usage_value()!r}")
    check(read_check_mark(USAGE_ROW), "the usage item shows no check mark though the counts are on")
    auto_start = read_check_mark()
    toggle_from_menu(USAGE_ROW)
    check(usage_value() == 0, f"switched off, the value reads {usage_value()!r}")
    check(not read_check_mark(USAGE_ROW), "the usage item still shows its check mark after switching off")
    check(read_check_mark() == auto_start, "the usage item changed the auto-start item's mark")
    toggle_from_menu(USAGE_ROW)
    check(usage_value() == 1, f"switched on again, the value reads {usage_value()!r}")
    check(read_check_mark(USAGE_ROW), "the usage item shows no check mark after switching on again")


def main():
    global session
    workdir = tempfile.mkdtemp(prefix="kv-autostart-")
    server = winetest.StandIn(workdir)
    failed = 0
    try:
        with winetest.Session() as s:
            session = s
            exe = s.install(FOLDER)
            s.start_at(exe, env={"KESTRAVIN_SERVER": server.base})
            s.find_window()
            failed += winetest.run_cases([
                ("no value: unchecked; the item writes the quoted path, then deletes it",
                 case_no_value_toggles_on_and_off),
                ('"0": unchecked; the item overwrites it', case_zero_counts_as_off_and_is_overwritten),
                ("a value too long to read: unchecked; the item overwrites it",
                 case_too_long_counts_as_off_and_is_overwritten),
                ("another directory's value: checked; the item deletes it",
                 case_other_directory_counts_as_on_and_is_deleted),
                ('"사용 통계 보내기": checked at first; the item writes SendUsage 0, then 1',
                 case_usage_switch_from_menu),
            ])
        with winetest.Session() as s:
            session = s
            exe = s.install(LONG_FOLDER)
            s.start_at(exe, env={"KESTRAVIN_SERVER": server.base})
            s.find_window()
            failed += winetest.run_cases([
                ("a folder so deep that the quoted path does not fit the read: the item still "
                 "switches off the value it wrote", case_own_value_too_long_to_read_is_switched_off),
            ])
    finally:
        server.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
