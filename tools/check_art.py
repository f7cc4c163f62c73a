#!/usr/bin/python3
"""Checks the committed skin art against what the program relies on.

    /usr/bin/python3 tools/check_art.py [repository root]

- ui/Kestravin.rc names a file for every bitmap and the icon in ui/resource.h;
- every bitmap is an uncompressed 24-bit BMP of its fixed size;
- the icon holds 16, 32, 48 and 64 pixel images of 32 bits with real alpha;
- the rectangles the program writes its own text into are plain and light
  enough for that text, and the title strips, window glyphs and progress track
  are where the program's hit tests and controls expect them.

Standard library only, so it runs wherever the tests run. Prints one summary
line; exits 1 on any failure.
"""

import os
import re
import struct
import sys

# Bitmap sizes the code places and blits without scaling.
BITMAP_SIZES = {
    "IDB_MAIN_BG": (510, 360),
    "IDB_CHECK_ON": (13, 13),
    "IDB_CHECK_OFF": (13, 13),
    "IDB_PROGRESS_TRACK": (1, 7),
    "IDB_PROGRESS_FILL": (1, 7),
    "IDB_BTN_ANALYSE": (80, 29),
    "IDB_BTN_CLOSE": (80, 29),
    "IDB_BTN_CLEAN": (80, 29),
    "IDB_DETAILS_BG": (510, 360),
    "IDB_INFO_BG": (343, 200),
    "IDB_BTN_OK": (80, 29),
}
ICON_NAME = "IDR_MAINFRAME"
ICON_SIZES = [16, 32, 48, 64]

TEXT_DARK = (51, 51, 51)      # status, count, version and web lines
TEXT_GREY = (102, 102, 102)   # the details window's count

# (bitmap, rectangle left/top/right/bottom exclusive, text colour, minimum
# contrast every pixel must keep against that colour). 7:1 keeps stray
# artwork text out as well as dark backgrounds; the grey count asks 4.5:1.
TEXT_AREAS = [
    ("IDB_MAIN_BG", "status line", (98, 130, 498, 143), TEXT_DARK, 7.0),
    ("IDB_MAIN_BG", "count line GRID", (119, 178, 319, 191), TEXT_DARK, 7.0),
    ("IDB_MAIN_BG", "count line PROCESS", (119, 204, 319, 217), TEXT_DARK, 7.0),
    ("IDB_MAIN_BG", "count line REGISTRY", (119, 230, 319, 243), TEXT_DARK, 7.0),
    ("IDB_MAIN_BG", "count line RECENT", (119, 256, 319, 269), TEXT_DARK, 7.0),
    ("IDB_DETAILS_BG", "count gap", (162, 103, 192, 116), TEXT_GREY, 4.5),
    ("IDB_INFO_BG", "version line", (108, 80, 338, 93), TEXT_DARK, 7.0),
    ("IDB_INFO_BG", "web line", (108, 100, 338, 113), TEXT_DARK, 7.0),
]

# Glyphs the program hit-tests: each must show light strokes on a dark strip.
GLYPHS = [
    ("IDB_MAIN_BG", "minimise", (460, 11, 477, 27)),
    ("IDB_MAIN_BG", "close", (480, 11, 497, 27)),
    ("IDB_DETAILS_BG", "close", (480, 11, 497, 27)),
    ("IDB_INFO_BG", "close", (314, 11, 331, 27)),
]
STRIP_HEIGHT = 30  # rows of every background that must read as a dark strip

# The progress track painted under the progress control.
TRACK = ("IDB_MAIN_BG", (98, 150, 416, 157))


class Failures(list):
    def check(self, ok, message):
        if not ok:
            self.append(message)
        return ok


def luminance(rgb):
    def channel(c):
        c /= 255.0
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


class Bmp:
    """An uncompressed 24-bit BMP; anything else raises ValueError."""

    def __init__(self, path):
        with open(path, "rb") as f:
            data = f.read()
        if data[:2] != b"BM" or len(data) < 54:
            raise ValueError("not a BMP file")
        offset = struct.unpack_from("<I", data, 10)[0]
        header_size, width, height, planes, bits, compression = \
            struct.unpack_from("<IiiHHI", data, 14)
        if header_size < 40:
            raise ValueError("old-style BMP header")
        self.bits = bits
        if bits != 24:
            raise ValueError("%d bits per pixel, not 24" % bits)
        if compression != 0:
            raise ValueError("compressed (method %d)" % compression)
        self.width, self.height = width, abs(height)
        self._bottom_up = height > 0
        self._stride = (width * 3 + 3) & ~3
        self._data = data
        self._offset = offset
        if offset + self._stride * self.height > len(data):
            raise ValueError("pixel data cut short")

    def pixel(self, x, y):
        row = self.height - 1 - y if self._bottom_up else y
        i = self._offset + row * self._stride + x * 3
        b, g, r = self._data[i:i + 3]
        return (r, g, b)

    def pixels(self, rect):
        left, top, right, bottom = rect
        for y in range(top, bottom):
            for x in range(left, right):
                yield self.pixel(x, y)


def read_ids(header_path):
    ids = {}
    with open(header_path, encoding="utf-8") as f:
        for m in re.finditer(r"^#define\s+(\w+)\s+(\d+)", f.read(), re.M):
            ids[m.group(1)] = int(m.group(2))
    return ids


def read_rc_files(rc_path):
    """Maps each resource symbol of a BITMAP or ICON statement to its file."""
    files = {}
    with open(rc_path, encoding="utf-8") as f:
        for m in re.finditer(r"^\s*(\w+)\s+(BITMAP|ICON)\s+\"([^\"]+)\"", f.read(), re.M):
            files[m.group(1)] = (m.group(2), m.group(3))
    return files


def check_icon(path, failures):
    with open(path, "rb") as f:
        data = f.read()
    if not failures.check(len(data) >= 6 and struct.unpack_from("<HHH", data)[:2] == (0, 1),
                          "icon: not an .ico file"):
        return
    count = struct.unpack_from("<H", data, 4)[0]
    found = []
    for i in range(count):
        w, h, _, _, _, bpp, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        w, h = w or 256, h or 256
        image = data[offset:offset + size]
        if image[:8] == b"\x89PNG\r\n\x1a\n":
            failures.check(False, "icon: %d px image is PNG; the shell of older Windows "
                                  "versions needs DIB images" % w)
            continue
        hsize, dw, dh, _, dbpp = struct.unpack_from("<IiiHH", image, 0)
        failures.check(hsize == 40 and dw == w and dh == 2 * h,
                       "icon: %d px image has a bad DIB header" % w)
        failures.check(bpp == 32 and dbpp == 32,
                       "icon: %d px image has %d bits per pixel, not 32" % (w, dbpp))
        alphas = set(image[hsize + 3:hsize + 4 * w * h:4])
        failures.check(len(alphas) > 2 and 0 in alphas and 255 in alphas,
                       "icon: %d px image has no real alpha channel" % w)
        found.append(w)
    failures.check(sorted(found) == ICON_SIZES,
                   "icon: sizes %s, expected %s" % (sorted(found), ICON_SIZES))


def check_backgrounds(images, failures):
    for name, label, rect, ink, minimum in TEXT_AREAS:
        image = images.get(name)
        if image is None:
            continue
        worst = min(contrast(p, ink) for p in image.pixels(rect))
        failures.check(worst >= minimum, "%s %s %s: contrast with text %.1f:1 below %.1f:1"
                       % (name, label, rect, worst, minimum))

    for name in ("IDB_MAIN_BG", "IDB_DETAILS_BG", "IDB_INFO_BG"):
        image = images.get(name)
        if image is None:
            continue
        strip = (0, 0, image.width, STRIP_HEIGHT)
        dark = sum(1 for p in image.pixels(strip) if luminance(p) < 0.1)
        failures.check(dark >= 0.8 * image.width * STRIP_HEIGHT,
                       "%s: top %d rows are not a dark title strip" % (name, STRIP_HEIGHT))
        body = (0, 60, image.width, image.height)
        light = sum(1 for p in image.pixels(body) if luminance(p) > 0.6)
        failures.check(light >= 0.7 * image.width * (image.height - 60),
                       "%s: body below the strip is not light" % name)

    for name, label, rect in GLYPHS:
        image = images.get(name)
        if image is None:
            continue
        strokes = sum(1 for p in image.pixels(rect) if luminance(p) > 0.3)
        failures.check(strokes >= 8, "%s: no %s glyph in %s" % (name, label, rect))

    name, rect = TRACK
    image = images.get(name)
    if image is not None:
        pixels = list(image.pixels(rect))
        mean = sum(luminance(p) for p in pixels) / len(pixels)
        failures.check(mean < 0.15, "%s: progress track at %s is not dark" % (name, rect))


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else \
        os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    failures = Failures()
    ids = read_ids(os.path.join(root, "ui", "resource.h"))
    rc_files = read_rc_files(os.path.join(root, "ui", "Kestravin.rc"))

    images = {}
    for name, size in BITMAP_SIZES.items():
        if not failures.check(name in ids, "%s: not defined in ui/resource.h" % name):
            continue
        kind, rel = rc_files.get(name, (None, None))
        if not failures.check(kind == "BITMAP", "%s: no BITMAP statement in ui/Kestravin.rc" % name):
            continue
        path = os.path.join(root, rel)
        try:
            image = Bmp(path)
        except (OSError, ValueError) as e:
            failures.check(False, "%s (%s): %s" % (name, rel, e))
            continue
        if failures.check((image.width, image.height) == size, "%s (%s): %dx%d, expected %dx%d"
                          % (name, rel, image.width, image.height, size[0], size[1])):
            images[name] = image

    kind, rel = rc_files.get(ICON_NAME, (None, None))
    if failures.check(kind == "ICON", "%s: no ICON statement in ui/Kestravin.rc" % ICON_NAME):
        try:
            check_icon(os.path.join(root, rel), failures)
        except (OSError, struct.error) as e:
            failures.check(False, "icon (%s): %s" % (rel, e))

    check_backgrounds(images, failures)

    for message in failures:
        print("check_art: FAIL " + message)
    print("check_art: %d bitmaps, icon %s px, %d text areas, %d glyphs checked: %s"
          % (len(BITMAP_SIZES), "/".join(map(str, ICON_SIZES)), len(TEXT_AREAS), len(GLYPHS),
             "%d failed" % len(failures) if failures else "all passed"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
