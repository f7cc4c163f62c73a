"""Whether the screen shows a given text where the program draws it.

Screenshots hold no text to read back, so a painted line is judged by its
ink: per pixel column, how much darker it is than the bare skin bitmap.
That profile is held against the same text drawn by PIL in the font the
test prefix gives the program's face "굴림" (tools/wine_prefix.sh) at the
program's 12-pixel cell. Boxes in place of Hangul glyphs, a blank line or
another text give profiles that do not follow the expected one.
"""
import os
import re
import subprocess

from PIL import Image, ImageDraw, ImageFont

import winetest
from winetest import check

FACE = "굴림"
CELL_HEIGHT = 12


def font_family():
    """The family the test prefix gives FACE, as tools/wine_prefix.sh wrote it into user.reg."""
    with open(os.path.join(winetest.template_prefix(), "user.reg"), encoding="utf-8", errors="replace") as f:
        text = f.read()
    # Wine writes the UTF-16 code units of a non-ASCII value name as \x escapes.
    name = "".join(f"\\x{ord(c):04x}" for c in FACE)
    found = re.search(r'^"' + re.escape(name) + r'"="([^"]+)"', text, re.M)
    check(found, f"the test prefix maps no font to {FACE}")
    return found.group(1)


def font_file():
    family = font_family()
    done = subprocess.run(["fc-match", "-f", "%{family}\n%{file}", family], capture_output=True, timeout=30)
    matched, _, path = done.stdout.decode().partition("\n")
    check(done.returncode == 0 and family in matched.split(",") and os.path.exists(path),
          f"fontconfig has no file for {family} (it offers {matched!r})")
    return path


def ink_profile(image, background, floor=30):
    """Per column, how much darker the image is than the background, trimmed to the inked columns."""
    shot, bare = image.convert("L"), background.convert("L")
    w, h = shot.size
    sp, bp = shot.load(), bare.load()
    columns = [sum(max(0, bp[x, y] - sp[x, y]) for y in range(h)) for x in range(w)]
    inked = [i for i, v in enumerate(columns) if v > floor]
    return columns[inked[0]:inked[-1] + 1] if inked else []


_drawn_cache = {}


def drawn_profile(text):
    """The ink profile of text as PIL draws it in the prefix's font with the program's cell height."""
    if text not in _drawn_cache:
        path = font_file()
        size = min(range(6, 16), key=lambda s: abs(sum(ImageFont.truetype(path, s).getmetrics()) - CELL_HEIGHT))
        canvas = Image.new("L", (420, 20), 255)
        ImageDraw.Draw(canvas).text((0, 2), text, font=ImageFont.truetype(path, size), fill=51)
        _drawn_cache[text] = ink_profile(canvas, Image.new("L", canvas.size, 255))
    return _drawn_cache[text]


def _resample(profile, n):
    return [profile[min(len(profile) - 1, int(i * len(profile) / n))] for i in range(n)]


def _smoothed(profile):
    # Over three columns: Wine and PIL hint the same glyph a column apart
    # here and there, which a column-by-column comparison would count as a
    # different shape.
    return [sum(profile[max(0, i - 1):i + 2]) for i in range(len(profile))]


def correlation(measured, expected):
    """Pearson correlation of two profiles, the expected one resampled to the measured width."""
    n = len(measured)
    if not n or not expected:
        return 0.0
    a, b = _smoothed(measured), _smoothed(_resample(expected, n))
    ma, mb = sum(a) / n, sum(b) / n
    cov = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    va = sum((x - ma) ** 2 for x in a) ** 0.5
    vb = sum((y - mb) ** 2 for y in b) ** 0.5
    return cov / (va * vb) if va and vb else 0.0


def measured_profile(shot, rect, skin="main_bg.bmp"):
    """The ink profile of the client-area screenshot within rect, against the skin bitmap."""
    return ink_profile(shot.crop(rect), winetest.load_bmp(skin).crop(rect))


def assert_drawn(shot, rect, text, what, skin="main_bg.bmp"):
    """Fails unless rect of the screenshot holds text: dark enough, about as wide, the same column shape."""
    region = shot.crop(rect)
    measured = measured_profile(shot, rect, skin)
    check(measured, f"{what}: nothing drawn in {rect}")
    darkest = min(region.convert("L").getdata())
    check(darkest < 140, f"{what}: text too light (darkest grey {darkest})")
    expected = drawn_profile(text)
    ratio = len(measured) / len(expected)
    check(0.75 < ratio < 1.33, f"{what}: ink {len(measured)} px wide, {text!r} needs about {len(expected)} px")
    r = correlation(measured, expected)
    # Boxes in place of Hangul glyphs give a comb of equal spikes that does
    # not follow the glyphs' own column shapes.
    check(r > 0.5, f"{what}: column profile does not follow {text!r} (correlation {r:.2f})")


def reads_as(shot, rect, text, other, skin="main_bg.bmp"):
    """True when rect of the screenshot looks like `text` rather than `other`."""
    measured = measured_profile(shot, rect, skin)
    if not measured:
        return False
    want, alt = drawn_profile(text), drawn_profile(other)
    # Wine draws about 8% wider than PIL, too close to the two texts' own
    # difference to tell them by width: the width only has to be plausible,
    # and the column profile decides which text fits better.
    plausible = 0.9 < len(measured) / len(want) < 1.25
    return plausible and correlation(measured, want) > correlation(measured, alt) + 0.1
