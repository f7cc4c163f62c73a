"""The details window's trace list as the Wine tests read and click it: the
window itself, its texts and check boxes through winprobe, and a box
unticked with a click that is made again when Xvfb drops it."""
import time

import product
import winetest
from winetest import check

TRACE_LIST = product.resource_id("IDC_TRACE_LIST")
DETAILS_SIZE = (product.number("kWindowWidth"), product.number("kWindowHeight"))


def open_windows(session):
    """The details windows on screen: untitled dialogs of the details window's size."""
    return [w for w in session.windows()
            if w["cls"] == "#32770" and not w["title"] and
            (w["rect"][2] - w["rect"][0], w["rect"][3] - w["rect"][1]) == DETAILS_SIZE]


def probe_lines(session, *args):
    code, out = session.run("winprobe.exe", *args)
    check(code == 0, f"winprobe {' '.join(args)} failed")
    return out.splitlines()


def ticks(session, hwnd):
    """Each row's check box, top first: True where ticked."""
    return [line == "1" for line in probe_lines(session, "--checks", hwnd, str(TRACE_LIST))]


def click_box(session, hwnd, row):
    """Clicks the check box of a row (the state image at its left end); --row scrolls it into view first."""
    left, top, right, bottom = (int(v) for v in
                                probe_lines(session, "--row", hwnd, str(TRACE_LIST), str(row))[0].split(","))
    session.xdotool("mousemove", str(left + 8), str((top + bottom) // 2), "click", "1")
    time.sleep(0.5)


def untick(session, hwnd, row):
    """Unticks a row by a click on its box; a click that Xvfb dropped is made again."""
    for _ in range(3):
        click_box(session, hwnd, row)
        if not ticks(session, hwnd)[row]:
            return
    raise winetest.TestFailure(f"three clicks on the box of row {row} left it ticked")
