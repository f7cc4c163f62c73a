#!/usr/bin/python3
"""The main window under Wine: shape, place, Korean text, check boxes, single
instance, and which keys and buttons close it.

One program start serves every case up to Alt+F4, which ends it; the exit
button then gets a start of its own.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import product  # noqa: E402
import screen_text  # noqa: E402
import winetest  # noqa: E402
from winetest import check  # noqa: E402

STATUS_RECT = product.rect("kStatus")
COUNT_RECT_GRID = product.rects("kCountLine")[product.CATEGORIES.index("GRID")]
CHECK_ORIGINS = [product.origin(r) for r in product.rects("kCheck")]
MINIMISE_POINT = product.centre(product.rect("kMinimiseHot"))
EXIT_POINT = product.centre(product.rect("kExit"))
WINDOW_SIZE = (product.number("kWindowWidth"), product.number("kWindowHeight"))
WAITING_TEXT = product.text("kWaiting")
GRID_COUNT_ZERO = product.texts_in_array("app/main/MainTexts.cpp", "kCountLabels")[product.CATEGORIES.index("GRID")] + "0" + \
    product.texts_of("CountSuffix")[0]

session = None


def assert_text_drawn(shot, rect, text, what):
    screen_text.assert_drawn(shot, rect, text, what)


def case_window_placed_and_shaped():
    facts = session.probe()
    check(facts["found"] == 1 and facts["visible"] == 1, f"no visible window titled Kestravin: {facts}")
    left, top, right, bottom = facts["rect"]
    check((right - left, bottom - top) == WINDOW_SIZE, f"window size {right - left}x{bottom - top}")
    check((left, top) == ((winetest.SCREEN[0] - WINDOW_SIZE[0]) // 2, (winetest.SCREEN[1] - WINDOW_SIZE[1]) // 2),
          f"window at {left},{top}, not centred")
    check(session.origin == (left, top), f"X sees the window at {session.origin}, Windows at {(left, top)}")

    shot = session.screenshot()
    outside = shot.getpixel((left - 3, top - 3))
    corner = shot.getpixel((left, top))
    inside = shot.getpixel((left + 4, top + 4))
    check(corner == outside, f"corner pixel {corner} is not the screen behind ({outside}): no rounded region")
    check(inside != outside, "the window body is the screen's colour")
    check(shot.getpixel((left + 255, top)) != outside, "the top edge away from the corners is cut")


def case_korean_texts_rendered():
    shot = session.client_shot()
    assert_text_drawn(shot, STATUS_RECT, WAITING_TEXT, "status line")
    assert_text_drawn(shot, COUNT_RECT_GRID, GRID_COUNT_ZERO, "GRID count line")


def case_check_box_toggles_face():
    on, off = winetest.load_bmp("check_on.bmp"), winetest.load_bmp("check_off.bmp")
    shot = session.client_shot()
    for origin in CHECK_ORIGINS:
        check(winetest.region_matches(shot, origin, on), f"check box at {origin} does not start ticked")

    x, y = CHECK_ORIGINS[1]
    session.click(*product.centre(product.rects("kCheck")[1]))
    session.move_away()
    winetest.wait_until(lambda: winetest.region_matches(session.client_shot(), (x, y), off), 10,
                        "the PROCESS box to show its empty face")
    shot = session.client_shot()
    check(winetest.region_matches(shot, CHECK_ORIGINS[0], on), "a click on PROCESS changed GRID's box")
    assert_text_drawn(shot, COUNT_RECT_GRID, GRID_COUNT_ZERO, "GRID count line after a toggle")

    session.click(*product.centre(product.rects("kCheck")[1]))
    session.move_away()
    winetest.wait_until(lambda: winetest.region_matches(session.client_shot(), (x, y), on), 10,
                        "the PROCESS box to be ticked again")


def case_second_start_restores_first():
    session.click(*MINIMISE_POINT)
    winetest.wait_until(lambda: session.probe()["iconic"] == 1, 10, "the window to be minimised")

    code, _ = session.run("Kestravin.exe", timeout=60)
    check(code == 0, f"the second instance exited with {code}")
    facts = session.probe()
    check(facts["iconic"] == 0, f"the first window is still minimised: {facts}")
    check(facts["visible"] == 1 and facts["foreground"] == 1, f"the first window is not shown in front: {facts}")
    check(facts["count"] == 1, f"{facts['count']} windows titled Kestravin remain")
    check(session.procs[0].poll() is None, "the first instance ended")


def press_over_window(key):
    """A key with the pointer on the window's bare skin (no window manager:
    keys go to the window under the pointer)."""
    ox, oy = session.origin
    session.xdotool("mousemove", str(ox + 255), str(oy + 60))
    time.sleep(0.3)
    session.xdotool("key", key)


def program_running():
    return session.procs[-1].poll() is None


def case_enter_and_escape_keep_the_window():
    for key in ("Return", "KP_Enter", "Escape"):
        press_over_window(key)
        time.sleep(1.5)
        check(program_running(), f"{key} ended the program")
        facts = session.probe()
        check(facts["found"] == 1 and facts["visible"] == 1, f"{key} closed the main window: {facts}")


def case_alt_f4_closes():
    # Also proves that the keys above reached the window.
    press_over_window("alt+F4")
    winetest.wait_until(lambda: not program_running(), 20, "Alt+F4 to end the program")
    check(session.probe()["found"] == 0, "a window titled Kestravin remains after Alt+F4")


def case_exit_button_closes():
    session.start()
    session.find_window()
    winetest.wait_until(lambda: session.probe()["visible"] == 1, 20, "the restarted window")
    session.click(*EXIT_POINT)
    winetest.wait_until(lambda: not program_running(), 20, "the exit button to end the program")


def main():
    global session
    # A server that answers: an unreachable one would hold each start behind
    # the version check's connection-error box.
    with winetest.served_session("main") as (s, _):
        session = s
        s.start()
        s.find_window()
        winetest.run([
            ("window titled Kestravin, 510x360, centred, rounded corners", case_window_placed_and_shaped),
            ("status and count lines drawn in Korean", case_korean_texts_rendered),
            ("a category check box switches between ticked and empty", case_check_box_toggles_face),
            ("a second start restores the minimised first and exits", case_second_start_restores_first),
            ("Enter and Escape leave the main window open", case_enter_and_escape_keep_the_window),
            ("Alt+F4 closes the main window and ends the program", case_alt_f4_closes),
            ("the exit button closes the main window and ends the program", case_exit_button_closes),
        ])


if __name__ == "__main__":
    main()
