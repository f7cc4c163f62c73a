#!/usr/bin/python3
"""The main window under Wine: shape, place, Korean text, check boxes, single instance.

One program start serves every case, in order.
"""
import os
import shutil
import sys
import tempfile

from PIL import Image, ImageDraw, ImageFont

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import winetest  # noqa: E402
from winetest import check  # noqa: E402

FONT = "/usr/share/fonts/truetype/nanum/NanumGothic.ttf"
STATUS_RECT = (98, 130, 498, 143)
COUNT_RECT_GRID = (119, 178, 319, 191)
CHECK_ORIGINS = [(97, 177), (97, 203), (97, 229), (97, 255)]
MINIMISE_POINT = (468, 19)

session = None


def ink_profile(image, background):
    """Per column, how much darker the image is than the bare skin."""
    shot = image.convert("L")
    bare = background.convert("L")
    w, h = shot.size
    sp, bp = shot.load(), bare.load()
    return [sum(max(0, bp[x, y] - sp[x, y]) for y in range(h)) for x in range(w)]


def trimmed(profile, floor=30):
    columns = [i for i, v in enumerate(profile) if v > floor]
    return profile[columns[0]:columns[-1] + 1] if columns else []


def expected_profile(text):
    """The text as NanumGothic draws it with a 12-pixel cell, as the program asks for."""
    size = min(range(6, 16), key=lambda s: abs(sum(ImageFont.truetype(FONT, s).getmetrics()) - 12))
    font = ImageFont.truetype(FONT, size)
    canvas = Image.new("L", (400, 20), 255)
    ImageDraw.Draw(canvas).text((0, 2), text, font=font, fill=51)
    return trimmed(ink_profile(canvas, Image.new("L", canvas.size, 255)))


def resample(profile, n):
    return [profile[min(len(profile) - 1, int(i * len(profile) / n))] for i in range(n)]


def correlation(a, b):
    n = len(a)
    ma, mb = sum(a) / n, sum(b) / n
    cov = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    va = sum((x - ma) ** 2 for x in a) ** 0.5
    vb = sum((y - mb) ** 2 for y in b) ** 0.5
    return cov / (va * vb) if va and vb else 0.0


def assert_text_drawn(shot, rect, text, what):
    skin = winetest.load_bmp("main_bg.bmp").crop(rect)
    region = shot.crop(rect)
    measured = trimmed(ink_profile(region, skin))
    check(measured, f"{what}: nothing drawn in {rect}")
    darkest = min(region.convert("L").getdata())
    check(darkest < 140, f"{what}: text too light (darkest grey {darkest})")
    expected = expected_profile(text)
    ratio = len(measured) / len(expected)
    check(0.75 < ratio < 1.33, f"{what}: ink {len(measured)} px wide, {text!r} needs about {len(expected)} px")
    r = correlation(measured, resample(expected, len(measured)))
    # Boxes in place of Hangul glyphs give a comb of equal spikes that does
    # not follow the glyphs' own column shapes.
    check(r > 0.5, f"{what}: column profile does not follow {text!r} (correlation {r:.2f})")


def case_window_placed_and_shaped():
    facts = session.probe()
    check(facts["found"] == 1 and facts["visible"] == 1, f"no visible window titled Kestravin: {facts}")
    left, top, right, bottom = facts["rect"]
    check((right - left, bottom - top) == (510, 360), f"window size {right - left}x{bottom - top}")
    check((left, top) == ((1024 - 510) // 2, (768 - 360) // 2), f"window at {left},{top}, not centred")
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
    assert_text_drawn(shot, STATUS_RECT, "분석대기 : 0%", "status line")
    assert_text_drawn(shot, COUNT_RECT_GRID, "그리드 딜리버리 : 0개", "GRID count line")


def case_check_box_toggles_face():
    on, off = winetest.load_bmp("check_on.bmp"), winetest.load_bmp("check_off.bmp")
    shot = session.client_shot()
    for origin in CHECK_ORIGINS:
        check(winetest.region_matches(shot, origin, on), f"check box at {origin} does not start ticked")

    x, y = CHECK_ORIGINS[1]
    session.click(x + 6, y + 6)
    session.move_away()
    winetest.wait_until(lambda: winetest.region_matches(session.client_shot(), (x, y), off), 10,
                        "the PROCESS box to show its empty face")
    shot = session.client_shot()
    check(winetest.region_matches(shot, CHECK_ORIGINS[0], on), "a click on PROCESS changed GRID's box")
    assert_text_drawn(shot, COUNT_RECT_GRID, "그리드 딜리버리 : 0개", "GRID count line after a toggle")

    session.click(x + 6, y + 6)
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


def main():
    global session
    # A server that answers: an unreachable one would hold each start behind
    # the version check's connection-error box.
    workdir = tempfile.mkdtemp(prefix="kv-main-")
    server = winetest.StandIn(workdir)
    try:
        run_cases(server)
    finally:
        server.stop()
        shutil.rmtree(workdir, ignore_errors=True)


def run_cases(server):
    global session
    with winetest.Session(extra_env={"KESTRAVIN_SERVER": server.base}) as s:
        session = s
        s.start()
        s.find_window()
        winetest.run([
            ("window titled Kestravin, 510x360, centred, rounded corners", case_window_placed_and_shaped),
            ("status and count lines drawn in Korean", case_korean_texts_rendered),
            ("a category check box switches between ticked and empty", case_check_box_toggles_face),
            ("a second start restores the minimised first and exits", case_second_start_restores_first),
        ])


if __name__ == "__main__":
    main()
