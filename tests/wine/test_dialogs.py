#!/usr/bin/python3
"""The details window and the program-information window under Wine.

One program start: the details link with nothing analysed; an analysis of
seeded usage history (registry categories only, so cleaning never ends Wine's
own processes); the details window opened from the link, its count, keys,
cross, close and clean buttons; then the program-information window from the
menu command. KV_SHOT_DIR, when set, keeps the screenshots of both windows.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import product  # noqa: E402
import scenario  # noqa: E402
import winetest  # noqa: E402
from winetest import check  # noqa: E402

DETAILS_POINT = product.centre(product.rect("kDetailsHot"))
PROGRAM_INFO = product.resource_id("ID_PROGRAM_INFO")
IDOK = 1
TRACE_LIST = product.resource_id("IDC_TRACE_LIST")
NO_ITEMS_TEXT = product.texts_of("NoAnalysisItemsText")[0]

TYPED_URLS = r"HKCU\Software\Microsoft\Internet Explorer\TypedURLs"
RUN_MRU = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU"
SEEDS = [(TYPED_URLS, "url1", "http://example.com/"), (TYPED_URLS, "url2", "http://example.org/"),
         (RUN_MRU, "a", "notepad\\1"), (RUN_MRU, "MRUList", "a")]

# Details window (client = window: no caption)
DETAILS_SIZE = (product.number("kWindowWidth"), product.number("kWindowHeight"))
COUNT_GAP = product.rect("details::kCountText")
LIST_RECT = product.rect("details::kList")
DETAILS_CROSS = product.centre(product.rect("kCloseHot"))
DETAILS_CLOSE = product.centre(product.rect("kExit"))
DETAILS_CLEAN = product.centre(product.rect("kAction"))
# Program-information window
INFO_SIZE = (product.number("info::kWindowWidth"), product.number("info::kWindowHeight"))
VERSION_LINE = product.rect("info::kVersionLine")
WEB_LINE = product.rect("info::kWebSiteLine")
INFO_OK = product.centre(product.rect("info::kOk"))

session = None
main_hwnd = None


def size_of(w):
    left, top, right, bottom = w["rect"]
    return right - left, bottom - top


def untitled_dialog(size):
    return lambda w: w["cls"] == "#32770" and not w["title"] and size_of(w) == size


def dialog_gone(size):
    return not any(untitled_dialog(size)(w) for w in session.windows())


def click_in(w, point, button=1):
    left, top = w["rect"][:2]
    session.xdotool("mousemove", str(left + point[0]), str(top + point[1]), "click", str(button))


def key_over(w, key):
    """Presses a key with the pointer on the window (no window manager: keys go where the pointer is)."""
    left, top = w["rect"][:2]
    session.xdotool("mousemove", str(left + 255 if size_of(w)[0] > 300 else left + 170), str(top + 60))
    time.sleep(0.2)
    session.xdotool("key", key)


def region(w, rect):
    left, top = w["rect"][:2]
    return session.screenshot().crop((left + rect[0], top + rect[1], left + rect[2], top + rect[3]))


def ink_columns(picture, background, threshold=40):
    """Columns where the picture is clearly darker than the bare background."""
    shot, bare = picture.convert("L"), background.convert("L")
    w, h = shot.size
    sp, bp = shot.load(), bare.load()
    return [x for x in range(w) if any(bp[x, y] - sp[x, y] > threshold for y in range(h))]


def keep_shot(name):
    folder = os.environ.get("KV_SHOT_DIR")
    if folder:
        session.screenshot().save(os.path.join(folder, name))


def reg_has(key, name):
    return session.reg("query", key, "/v", name)[0] == 0


def check_keys_kept_then_close(w, size, button_point, what, button):
    """Neither Escape nor Enter closes the dialog w; its button at button_point does."""
    key_over(w, "Escape")
    key_over(w, "Return")
    time.sleep(1.0)
    check(not dialog_gone(size), f"Escape or Enter closed {what}")
    click_in(w, button_point)
    winetest.wait_until(lambda: dialog_gone(size), 10, f"{button} to close the window")


def open_details(clicks=1):
    """Clicks the details link; returns the details window. Under Wine on a
    bare X server, the first click on the main window after a window that
    covered it has closed is sometimes dropped (seen after the cross and after
    button 1006 alike), so a re-opening may take `clicks` clicks."""
    for _ in range(clicks):
        session.click(*DETAILS_POINT)
        try:
            return session.wait_for_window("the details window", untitled_dialog(DETAILS_SIZE), 4)
        except winetest.TestFailure:
            session.move_away()
    raise winetest.TestFailure(f"the details window did not open after {clicks} click(s) on the link")


def case_details_link_with_empty_list():
    session.click(*DETAILS_POINT)
    box = session.wait_for_window("the no-items box", lambda w: w["text"] == NO_ITEMS_TEXT, 20)
    check(box["title"] == winetest.TITLE, f"the box's caption is {box['title']!r}")
    check(dialog_gone(DETAILS_SIZE), "the details window opened with an empty list")
    # Escape closes a message box: this proves keys reach the windows, which
    # the details window's own Escape case relies on.
    key_over(box, "Escape")
    winetest.wait_until(lambda: not any(w["text"] == NO_ITEMS_TEXT for w in session.windows()), 10,
                        "Escape to close the box")


def case_analysis_fills_the_list():
    session.click(*scenario.BOX_POINTS["GRID"])
    time.sleep(0.7)
    session.click(*scenario.BOX_POINTS["PROCESS"])
    session.move_away()
    time.sleep(0.7)
    scenario.press_action(session)
    winetest.wait_until(lambda: scenario.action_face_is(session, "btn_clean.bmp"),
                        60, "the analysis to end with traces")
    check(session.item_count(main_hwnd, TRACE_LIST) >= len(SEEDS), "fewer rows than values seeded")


def case_details_shows_rows_and_count():
    details = open_details()
    time.sleep(1.0)
    keep_shot("details.png")
    rows = session.item_count(details["hwnd"], TRACE_LIST)
    check(rows == session.item_count(main_hwnd, TRACE_LIST), f"{rows} rows copied from the main list")
    background = winetest.load_bmp("details_bg.bmp")
    gap = region(details, COUNT_GAP)
    ink = ink_columns(gap, background.crop(COUNT_GAP))
    check(ink, "no count drawn in the sentence's gap")
    digits = len(str(rows))
    check(3 * digits <= ink[-1] - ink[0] + 1 <= 10 * digits,
          f"the count's ink is {ink[-1] - ink[0] + 1} px wide for {rows} ({digits} digits)")
    darkest = min(gap.convert("L").getdata())
    check(80 <= darkest <= 150, f"the count is drawn in grey {darkest}, not the mid grey 102")
    listed = ink_columns(region(details, LIST_RECT), background.crop(LIST_RECT))
    check(listed, "the list shows no text")
    check(max(listed) < 340 or min(listed) < 332, "nothing in the NAME column")
    check_keys_kept_then_close(details, DETAILS_SIZE, DETAILS_CLOSE, "the details window", "button 1006")
    check(all(reg_has(k, n) for k, n, _ in SEEDS), "closing the window cleaned")


def case_details_cross_closes():
    details = open_details(clicks=2)
    click_in(details, DETAILS_CROSS)
    winetest.wait_until(lambda: dialog_gone(DETAILS_SIZE), 10, "the cross to close the window")
    check(all(reg_has(k, n) for k, n, _ in SEEDS), "the cross cleaned")


def case_details_clean_closes_and_cleans():
    details = open_details(clicks=2)
    click_in(details, DETAILS_CLEAN)
    winetest.wait_until(lambda: dialog_gone(DETAILS_SIZE), 10, "button 1009 to close the window")
    winetest.wait_until(lambda: not any(reg_has(k, n) for k, n, _ in SEEDS), 60, "the seeded values to be deleted")
    winetest.wait_until(lambda: session.item_count(main_hwnd, TRACE_LIST) == 0, 30, "the trace list to empty")


def case_program_information():
    session.click_button(main_hwnd, PROGRAM_INFO)
    info = session.wait_for_window("the program-information window", untitled_dialog(INFO_SIZE), 20)
    left, top, right, bottom = info["rect"]
    check((left, top) == (winetest.SCREEN[0] // 2 - INFO_SIZE[0] // 2, winetest.SCREEN[1] // 2 - INFO_SIZE[1] // 2),
          f"not centred: {info['rect']}")
    time.sleep(1.0)
    keep_shot("info.png")
    background = winetest.load_bmp("info_bg.bmp")
    version = region(info, VERSION_LINE)
    ink = ink_columns(version, background.crop(VERSION_LINE))
    check(ink and 60 <= ink[-1] - ink[0] + 1 <= 200, f"version line ink spans {ink[:1]}..{ink[-1:]}")
    check(min(version.convert("L").getdata()) < 100, "the version line is not dark text")
    check(ink_columns(region(info, WEB_LINE), background.crop(WEB_LINE)), "no web-site line")
    check_keys_kept_then_close(info, INFO_SIZE, INFO_OK, "the information window", "button 1013")
    check(any(w["hwnd"] == main_hwnd for w in session.windows()), "the main window went with it")


def main():
    global session, main_hwnd
    with winetest.served_session("dialogs", server_in_env=False) as (s, server):
        session = s
        for key, name, data in SEEDS:
            s.reg("add", key, "/v", name, "/t", "REG_SZ", "/d", data, "/f")
        exe = s.install("Kestravin")
        s.start_at(exe, env={"KESTRAVIN_SERVER": server.base})
        s.find_window()
        main_hwnd = s.wait_for_window("the main window", lambda w: w["title"] == winetest.TITLE)["hwnd"]
        winetest.run([
            ("the details link with nothing analysed shows the no-items box", case_details_link_with_empty_list),
            ("an analysis of the registry categories fills the trace list", case_analysis_fills_the_list),
            ("details: rows, count in the gap, keys swallowed, 1006 closes", case_details_shows_rows_and_count),
            ("details: the cross closes", case_details_cross_closes),
            ("details: 1009 closes and cleans", case_details_clean_closes_and_cleans),
            ("program information: version line, keys swallowed, 1013 closes", case_program_information),
        ])


if __name__ == "__main__":
    main()
