#!/usr/bin/python3
"""Draws Kestravin's skin bitmaps and icon into ui/art.

    /usr/bin/python3 tools/make_art.py

The generated files are committed, so a build never needs PIL. Run this again
after changing the artwork and commit the results together with this script.

Every rectangle below mirrors one the program draws into or hit-tests; those
areas stay plain and light so the program's dark 12 px text reads on them.
Shapes are drawn four times larger and reduced (smooth edges), text is drawn
at final size (FreeType hinting keeps 11-13 px Hangul crisp).
"""

import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ART_DIR = os.path.join(ROOT, "ui", "art")
FONT_DIR = "/usr/share/fonts/truetype/nanum"

SS = 4  # supersampling factor for shapes

# Palette: slate title strip, cool light body, one blue accent.
TITLE_TOP = (44, 55, 70)
TITLE_BOTTOM = (30, 39, 51)
TITLE_TEXT = (255, 255, 255)
TITLE_SUBTLE = (139, 153, 170)
GLYPH = (184, 195, 207)
ACCENT = (36, 128, 214)
ACCENT_LIGHT = (62, 160, 236)
ACCENT_DARK = (24, 96, 170)
BODY = (242, 244, 247)
CARD = (255, 255, 255)
CARD_BORDER = (214, 220, 227)
RULE = (232, 236, 240)
RULE_FAINT = (241, 243, 246)
FOOTER = (229, 233, 238)
FOOTER_LINE = (210, 216, 223)
FRAME = (120, 131, 145)
HEADING = (31, 42, 54)
LABEL = (86, 98, 112)
HINT = (150, 159, 170)
LINK = (27, 108, 190)
SENTENCE = (102, 102, 102)  # the grey the details window draws its count in

# Rectangles (left, top, right, bottom) the program owns on each window.
MAIN_SIZE = (510, 360)
MAIN_MINIMISE = (460, 11, 477, 27)
MAIN_CLOSE = (480, 11, 497, 27)
MAIN_STATUS = (98, 130, 498, 143)
MAIN_PROGRESS = (98, 150, 416, 157)
MAIN_CHECKS = [(97, 177, 110, 190), (97, 203, 110, 216),
               (97, 229, 110, 242), (97, 255, 110, 268)]
MAIN_COUNTS = [(119, 178, 319, 191), (119, 204, 319, 217),
               (119, 230, 319, 243), (119, 256, 319, 269)]
MAIN_DETAILS_LINK = (425, 283, 486, 296)
BUTTONS = [(172, 320, 252, 349), (257, 320, 337, 349)]

DETAILS_SIZE = (510, 360)
DETAILS_CLOSE = (480, 11, 497, 27)
DETAILS_COUNT = (162, 103, 192, 116)
DETAILS_LIST = (12, 181, 498, 309)
DETAILS_COLUMN0_WIDTH = 332
DETAILS_COLUMN1_WIDTH = 134

INFO_SIZE = (343, 200)
INFO_CLOSE = (314, 11, 331, 27)
INFO_VERSION = (108, 80, 338, 93)
INFO_WEB = (108, 100, 338, 113)
INFO_BUTTON = (131, 149, 211, 178)

TITLE_HEIGHT = 38
FOOTER_TOP = 313
BUTTON_SIZE = (80, 29)
CHECK_SIZE = 13

# The program draws its texts with a 12-pixel GDI cell from the rectangle's
# top; measured under Wine (Gulim mapped to NanumGothic) the lowest row of a
# Hangul line is 9 px below that top. Artwork text that shares a line with it
# is placed so its Hangul ink ends on the same row.
PROGRAM_INK_BOTTOM = 9

# Files by resource id; ui/Kestravin.rc and tools/check_art.py use the same map.
BITMAPS = {
    129: "main_bg.bmp",
    130: "check_on.bmp",
    131: "check_off.bmp",
    132: "progress_track.bmp",
    133: "progress_fill.bmp",
    134: "btn_analyse.bmp",
    135: "btn_close.bmp",
    136: "btn_clean.bmp",
    138: "details_bg.bmp",
    141: "info_bg.bmp",
    142: "btn_ok.bmp",
}
ICON_FILE = "kestravin.ico"
ICON_SIZES = (16, 32, 48, 64)


# Texts of the artwork, each kept here once.
TAGLINE = "개인정보 흔적 정리"  # title strip of the main window
MAIN_HEADING = "분석항목 설정"
MAIN_GUIDE = "정리할 항목을 선택하고 [분석시작] 버튼을 눌러 주세요."
LABEL_PROGRESS = "진행 상태"
LABEL_ITEMS = "검사 항목"
MAIN_NOTE = "분석이 끝나면 찾은 항목을 상세보기에서 확인할 수 있습니다."
DETAILS_LINK = "상세보기"
DETAILS_HEADING = "분석항목 리스트"  # also the details title strip
DETAILS_GUIDE = "찾은 흔적을 확인하고 [정리시작]으로 한 번에 지울 수 있습니다."
RESULT_BEFORE = "검색결과 : 총"  # the count goes between these two
RESULT_AFTER = "개의 항목이 분석되었습니다."
COLUMN_ITEM = "분석항목"
COLUMN_DESCRIPTION = "설명"
INFO_TITLE = "프로그램 정보"
FACE_ANALYSE = "분석시작"
FACE_CLOSE = "닫기"
FACE_CLEAN = "정리시작"
FACE_OK = "확인"
# What each category does, in check-box order (GRID, PROCESS, REGISTRY, RECENT).
CATEGORY_HINTS = [
    "백그라운드 전송 서비스 중지",
    "실행 중인 프로그램 종료",
    "자동완성 양식 · 암호 삭제",
    "최근 사용 · 재생 목록 삭제",
]


# --- fonts and text -------------------------------------------------------

_fonts = {}


def font(name, size):
    key = (name, size)
    if key not in _fonts:
        path = os.path.join(FONT_DIR, name + ".ttf")
        if not os.path.exists(path):
            sys.exit("make_art: font missing: %s (install fonts-nanum)" % path)
        _fonts[key] = ImageFont.truetype(path, size)
    return _fonts[key]


def regular(size):
    return font("NanumGothic", size)


def bold(size):
    return font("NanumGothicBold", size)


def display(size):
    return font("NanumSquareB", size)


def text_width(text, fnt):
    return int(round(fnt.getlength(text)))


def draw_text(img, xy, text, fnt, fill, anchor="ls"):
    """Draws text at final size; xy is on the baseline unless anchor says otherwise."""
    ImageDraw.Draw(img).text(xy, text, font=fnt, fill=fill, anchor=anchor)


def draw_text_on_line(img, x, rect_top, text, fnt, fill):
    """Draws text whose Hangul shares the bottom row of the program's text on
    a line starting at rect_top."""
    hangul_bottom = fnt.getbbox("가", anchor="ls")[3]
    baseline = rect_top + PROGRAM_INK_BOTTOM + 1 - hangul_bottom
    draw_text(img, (x, baseline), text, fnt, fill)


def draw_text_centred(img, box, text, fnt, fill):
    """Centres the ink of text in box, on whole pixels so stems stay sharp."""
    left, top, right, bottom = fnt.getbbox(text, anchor="ls")
    x = box[0] + ((box[2] - box[0]) - (right - left)) // 2 - left
    y = box[1] + ((box[3] - box[1]) - (bottom - top) + 1) // 2 - top
    draw_text(img, (x, y), text, fnt, fill)


# --- smooth shapes ---------------------------------------------------------

def blend(c1, c2, t):
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


def vertical_gradient(size, top, bottom):
    w, h = size
    img = Image.new("RGB", size)
    px = img.load()
    for y in range(h):
        c = blend(top, bottom, y / max(1, h - 1))
        for x in range(w):
            px[x, y] = c
    return img


class Layer:
    """A transparent canvas SS times larger than its target; composite() reduces it."""

    def __init__(self, size):
        self.size = size
        self.img = Image.new("RGBA", (size[0] * SS, size[1] * SS), (0, 0, 0, 0))
        self.draw = ImageDraw.Draw(self.img)

    @staticmethod
    def s(v):
        return int(round(v * SS))

    def box(self, b):
        return [self.s(b[0]), self.s(b[1]), self.s(b[2]) - 1, self.s(b[3]) - 1]

    def rounded(self, b, radius, fill=None, outline=None, width=1.0):
        self.draw.rounded_rectangle(self.box(b), radius=self.s(radius), fill=fill,
                                    outline=outline, width=max(1, self.s(width)))

    def polygon(self, points, fill):
        self.draw.polygon([(self.s(x), self.s(y)) for x, y in points], fill=fill)

    def line(self, points, fill, width):
        pts = [(self.s(x), self.s(y)) for x, y in points]
        self.draw.line(pts, fill=fill, width=self.s(width), joint="curve")
        r = self.s(width) / 2
        for x, y in (pts[0], pts[-1]):  # round caps
            self.draw.ellipse([x - r, y - r, x + r, y + r], fill=fill)

    def ellipse(self, b, fill=None, outline=None, width=1.0):
        self.draw.ellipse(self.box(b), fill=fill, outline=outline,
                          width=max(1, self.s(width)))

    def reduced(self):
        return self.img.resize(self.size, Image.LANCZOS)

    def composite(self, img, at=(0, 0)):
        small = self.reduced()
        img.paste(small, at, small)


def masked_gradient(size, shape_layer, top, bottom):
    """Fills the opaque part of shape_layer with a vertical gradient."""
    mask = shape_layer.reduced().getchannel("A")
    grad = vertical_gradient(size, top, bottom).convert("RGBA")
    grad.putalpha(mask)
    return grad


# --- the mark --------------------------------------------------------------

def shield_outline(cx, top, w, h):
    """A heater shield: flat shoulders, sides curving to a point."""
    pts = []
    half = w / 2
    shoulder = h * 0.10
    pts.append((cx - half, top + shoulder))
    pts.append((cx, top))
    pts.append((cx + half, top + shoulder))
    side = h * 0.44
    steps = 16
    # right side: straight down, then a quadratic curve into the point
    pts.append((cx + half, top + side))
    for i in range(1, steps + 1):
        t = i / steps
        x0, y0 = cx + half, top + side
        x1, y1 = cx + half, top + h * 0.80
        x2, y2 = cx, top + h
        x = (1 - t) ** 2 * x0 + 2 * (1 - t) * t * x1 + t * t * x2
        y = (1 - t) ** 2 * y0 + 2 * (1 - t) * t * y1 + t * t * y2
        pts.append((x, y))
    for x, y in reversed(pts[3:-1]):
        pts.append((2 * cx - x, y))
    return pts


def draw_mark(size):
    """The product mark: a white shield with a check on a blue rounded tile."""
    n = size
    tile = Layer((n, n))
    tile.rounded((0, 0, n, n), radius=n * 0.22, fill=(255, 255, 255, 255))
    out = masked_gradient((n, n), tile, ACCENT_LIGHT, ACCENT_DARK)

    # small sizes get a fuller shield and a heavier tick so both survive
    small = n <= 20
    sw, sh, top = (n * 0.68, n * 0.76, n * 0.11) if small else (n * 0.56, n * 0.66, n * 0.16)
    shield = Layer((n, n))
    shield.polygon(shield_outline(n / 2, top, sw, sh), fill=(255, 255, 255, 255))
    shield.composite(out)

    check = Layer((n, n))
    if small:
        points = [(n * 0.33, n * 0.47), (n * 0.46, n * 0.60), (n * 0.68, n * 0.36)]
        stroke = n * 0.12
    else:
        points = [(n * 0.37, n * 0.47), (n * 0.47, n * 0.57), (n * 0.64, n * 0.38)]
        stroke = n * 0.085
    check.line(points, fill=ACCENT + (255,), width=stroke)
    check.composite(out)
    return out


# --- pieces shared by the windows ------------------------------------------

def window_frame(img):
    """Body, title strip and a hairline frame that follows the rounded region."""
    w, h = img.size
    img.paste(BODY, (0, 0, w, h))
    img.paste(vertical_gradient((w, TITLE_HEIGHT), TITLE_TOP, TITLE_BOTTOM), (0, 0))
    draw = ImageDraw.Draw(img)
    draw.line([(0, TITLE_HEIGHT - 1), (w, TITLE_HEIGHT - 1)], fill=(19, 25, 33))
    draw.line([(0, TITLE_HEIGHT), (w, TITLE_HEIGHT)], fill=ACCENT)
    draw.line([(0, 0), (w, 0)], fill=(62, 74, 90))
    frame = Layer((w, h))
    frame.rounded((0, 0, w, h), radius=3.5, outline=FRAME + (255,), width=1)
    small = frame.reduced()
    # the frame is only visible along the body; the strip has its own edge
    body_mask = Image.new("L", (w, h), 0)
    body_mask.paste(255, (0, TITLE_HEIGHT + 1, w, h))
    alpha = Image.composite(small.getchannel("A"), Image.new("L", (w, h), 0), body_mask)
    small.putalpha(alpha)
    img.paste(small, (0, 0), small)


def title_content(img, subtitle):
    mark = draw_mark(22)
    img.paste(mark, (11, 8), mark)
    name_font = display(16)
    draw_text(img, (41, 25), "Kestravin", name_font, TITLE_TEXT)
    x = 41 + text_width("Kestravin", name_font) + 10
    draw = ImageDraw.Draw(img)
    draw.line([(x, 13), (x, 25)], fill=(72, 86, 104))
    draw_text(img, (x + 10, 24), subtitle, regular(12), TITLE_SUBTLE)


def minimise_glyph(img, rect):
    layer = Layer(img.size)
    cx = (rect[0] + rect[2]) / 2
    cy = (rect[1] + rect[3]) / 2
    layer.rounded((cx - 5, cy + 2, cx + 5, cy + 3.5), radius=0.5, fill=GLYPH + (255,))
    layer.composite(img)


def close_glyph(img, rect):
    layer = Layer(img.size)
    cx = (rect[0] + rect[2]) / 2
    cy = (rect[1] + rect[3]) / 2
    r = 4.2
    layer.line([(cx - r, cy - r), (cx + r, cy + r)], fill=GLYPH + (255,), width=1.6)
    layer.line([(cx - r, cy + r), (cx + r, cy - r)], fill=GLYPH + (255,), width=1.6)
    layer.composite(img)


def card(img, box, fill=CARD, border=CARD_BORDER):
    layer = Layer(img.size)
    shadow = (box[0], box[1] + 1, box[2], box[3] + 1)
    layer.rounded(shadow, radius=4, fill=(0, 0, 0, 18))
    layer.rounded(box, radius=4, fill=fill + (255,), outline=border + (255,), width=1)
    layer.composite(img)


def footer(img):
    w, h = img.size
    draw = ImageDraw.Draw(img)
    draw.rectangle([1, FOOTER_TOP, w - 2, h - 2], fill=FOOTER)
    draw.line([(1, FOOTER_TOP), (w - 2, FOOTER_TOP)], fill=FOOTER_LINE)
    draw.line([(1, FOOTER_TOP + 1), (w - 2, FOOTER_TOP + 1)], fill=(244, 246, 248))


def progress_columns():
    track = [(46, 51, 57), (62, 67, 74), (74, 79, 87), (79, 85, 93),
             (76, 82, 90), (68, 74, 81), (56, 61, 68)]
    fill = [(251, 252, 253), (238, 240, 243), (224, 227, 231), (211, 215, 220),
            (198, 203, 209), (186, 192, 199), (172, 179, 187)]
    return track, fill


def column_image(colours):
    img = Image.new("RGB", (1, len(colours)))
    for y, c in enumerate(colours):
        img.putpixel((0, y), c)
    return img


# --- small bitmaps ---------------------------------------------------------

def check_box(ticked, ground=CARD):
    n = CHECK_SIZE
    img = Image.new("RGB", (n, n), ground)
    if ticked:
        shape = Layer((n, n))
        shape.rounded((0, 0, n, n), radius=2.5, fill=(255, 255, 255, 255))
        face = masked_gradient((n, n), shape, ACCENT_LIGHT, ACCENT)
        img.paste(face, (0, 0), face)
        rim = Layer((n, n))
        rim.rounded((0, 0, n, n), radius=2.5, outline=ACCENT_DARK + (255,), width=1)
        rim.composite(img)
        tick = Layer((n, n))
        tick.line([(3.3, 6.7), (5.5, 8.9), (9.8, 4.2)], fill=(255, 255, 255, 255), width=1.7)
        tick.composite(img)
    else:
        box = Layer((n, n))
        box.rounded((0, 0, n, n), radius=2.5, fill=(255, 255, 255, 255),
                    outline=(142, 154, 168, 255), width=1)
        box.composite(img)
        inner = Layer((n, n))
        inner.rounded((1, 1, n - 1, n - 1), radius=1.8, outline=(232, 236, 241, 255), width=1)
        inner.composite(img)
    return img


def button(label, primary, ground=FOOTER):
    w, h = BUTTON_SIZE
    img = Image.new("RGB", (w, h), ground)
    shape = Layer((w, h))
    shape.rounded((0, 0, w, h), radius=4, fill=(255, 255, 255, 255))
    if primary:
        face = masked_gradient((w, h), shape, (58, 155, 230), (30, 114, 198))
        edge, shine, ink = (22, 90, 160), (255, 255, 255, 70), (255, 255, 255)
    else:
        face = masked_gradient((w, h), shape, (255, 255, 255), (231, 235, 240))
        edge, shine, ink = (168, 178, 190), (255, 255, 255, 200), (45, 56, 69)
    img.paste(face, (0, 0), face)
    gloss = Layer((w, h))
    gloss.rounded((1, 1, w - 1, h - 1), radius=3, outline=shine, width=1)
    gloss.composite(img)
    rim = Layer((w, h))
    rim.rounded((0, 0, w, h), radius=4, outline=edge + (255,), width=1)
    rim.composite(img)
    if primary:  # a soft drop under white letters keeps them legible on the blue
        shadow = Image.new("RGBA", (w, h), (0, 0, 0, 0))
        draw_text_centred(shadow, (0, 1, w, h + 1), label, bold(13), (10, 60, 120, 110))
        img.paste(shadow, (0, 0), shadow)
    draw_text_centred(img, (0, 0, w, h), label, bold(13), ink)
    return img


# --- the three backgrounds -------------------------------------------------

def main_background():
    img = Image.new("RGB", MAIN_SIZE, BODY)
    window_frame(img)
    title_content(img, TAGLINE)
    minimise_glyph(img, MAIN_MINIMISE)
    close_glyph(img, MAIN_CLOSE)

    mark = draw_mark(48)
    img.paste(mark, (30, 55), mark)
    draw_text(img, (97, 75), MAIN_HEADING, display(18), HEADING)
    draw_text(img, (97, 98), MAIN_GUIDE,
              regular(12), LABEL)

    card(img, (12, 119, 498, 307))
    draw = ImageDraw.Draw(img)
    label_font = bold(11)
    draw_text_on_line(img, 28, MAIN_STATUS[1], LABEL_PROGRESS, label_font, LABEL)
    draw_text_on_line(img, 28, MAIN_COUNTS[0][1], LABEL_ITEMS, label_font, LABEL)
    draw.line([(24, 167), (486, 167)], fill=RULE)
    for y in (197, 223, 249):
        draw.line([(97, y), (486, y)], fill=RULE_FAINT)
    draw.line([(24, 276), (486, 276)], fill=RULE)

    track, _ = progress_columns()
    left, top, right, bottom = MAIN_PROGRESS
    img.paste(column_image(track).resize((right - left, bottom - top)), (left, top))

    empty = check_box(False)
    for rect in MAIN_CHECKS:
        img.paste(empty, rect[:2])

    hint_font = regular(11)
    for rect, hint in zip(MAIN_COUNTS, CATEGORY_HINTS):
        x = 486 - text_width(hint, hint_font)
        draw_text_on_line(img, x, rect[1], hint, hint_font, HINT)

    link_top = MAIN_DETAILS_LINK[1]
    draw_text_on_line(img, 28, link_top,
                      MAIN_NOTE, hint_font, HINT)
    link_font = bold(12)
    lx = MAIN_DETAILS_LINK[0] + 2
    draw_text_on_line(img, lx, link_top, DETAILS_LINK, link_font, LINK)
    arrow = Layer(img.size)
    ax = lx + text_width(DETAILS_LINK, link_font) + 5
    ay = link_top + PROGRAM_INK_BOTTOM - 4
    arrow.line([(ax, ay - 3), (ax + 3.2, ay), (ax, ay + 3)], fill=LINK + (255,), width=1.4)
    arrow.composite(img)

    footer(img)
    return img


def details_background():
    img = Image.new("RGB", DETAILS_SIZE, BODY)
    window_frame(img)
    title_content(img, DETAILS_HEADING)
    close_glyph(img, DETAILS_CLOSE)

    draw_text(img, (24, 70), DETAILS_HEADING, display(18), HEADING)
    hint = DETAILS_GUIDE
    draw_text(img, (DETAILS_LIST[2] - 2 - text_width(hint, regular(11)), 69), hint, regular(11), HINT)

    card(img, (12, 92, 498, 127), fill=(236, 244, 252), border=(196, 218, 241))
    sentence_font = regular(11)
    before, after = RESULT_BEFORE, RESULT_AFTER
    x_before = DETAILS_COUNT[0] - 4 - text_width(before, sentence_font)
    draw_text_on_line(img, x_before, DETAILS_COUNT[1], before, sentence_font, SENTENCE)
    draw_text_on_line(img, DETAILS_COUNT[2] + 1, DETAILS_COUNT[1], after, sentence_font, SENTENCE)
    baseline = DETAILS_COUNT[1] + PROGRAM_INK_BOTTOM
    magnifier = Layer(img.size)
    mx, my = x_before - 16, baseline - 5
    magnifier.ellipse((mx - 4.5, my - 4.5, mx + 3.5, my + 3.5), outline=ACCENT + (255,), width=1.6)
    magnifier.line([(mx + 2.6, my + 2.6), (mx + 5.6, my + 5.6)], fill=ACCENT + (255,), width=1.9)
    magnifier.composite(img)

    left, top, right, bottom = DETAILS_LIST
    draw = ImageDraw.Draw(img)
    header = (left - 1, 157, right, top)
    img.paste(vertical_gradient((header[2] - header[0], header[3] - header[1]),
                                (250, 251, 253), (233, 237, 242)), header[:2])
    draw.rectangle([left - 1, 157, right, bottom], outline=(190, 199, 209))
    draw.line([(left, top - 1), (right - 1, top - 1)], fill=(206, 213, 221))
    draw.rectangle([left, top, right - 1, bottom - 1], fill=CARD)
    split = left + DETAILS_COLUMN0_WIDTH
    draw.line([(split, 161), (split, top - 5)], fill=(196, 204, 214))
    draw.line([(split + 1, 161), (split + 1, top - 5)], fill=(255, 255, 255))
    head_font = bold(11)
    draw_text(img, (left + 8, 173), COLUMN_ITEM, head_font, LABEL)
    column1 = (split, 157, split + DETAILS_COLUMN1_WIDTH, top)
    draw_text(img, ((column1[0] + column1[2]) // 2, 173), COLUMN_DESCRIPTION, head_font, LABEL, anchor="ms")

    footer(img)
    return img


def info_background():
    img = Image.new("RGB", INFO_SIZE, BODY)
    w, h = INFO_SIZE
    window_frame(img)
    title_content(img, INFO_TITLE)
    close_glyph(img, INFO_CLOSE)

    draw = ImageDraw.Draw(img)
    draw.rectangle([1, TITLE_HEIGHT + 1, w - 2, 136], fill=CARD)
    mark = draw_mark(48)
    img.paste(mark, (36, 60), mark)
    draw_text(img, (INFO_VERSION[0], 70), "Kestravin", display(18), HEADING)
    draw.line([(1, 137), (w - 2, 137)], fill=FOOTER_LINE)
    draw.rectangle([1, 138, w - 2, h - 2], fill=FOOTER)
    draw.line([(1, 138), (w - 2, 138)], fill=(244, 246, 248))
    return img


# --- the icon --------------------------------------------------------------

def ico_bytes(images):
    """An .ico of 32-bpp DIB images (BGRA plus the 1-bpp mask old shells read)."""
    header = struct.pack("<HHH", 0, 1, len(images))
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for im in images:
        n = im.size[0]
        xor = bytearray()
        mask = bytearray()
        mask_stride = ((n + 31) // 32) * 4
        px = im.load()
        for y in range(n - 1, -1, -1):
            row_mask = bytearray(mask_stride)
            for x in range(n):
                r, g, b, a = px[x, y]
                xor += bytes((b, g, r, a))
                if a == 0:
                    row_mask[x // 8] |= 0x80 >> (x % 8)
            mask += row_mask
        dib = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0,
                          len(xor) + len(mask), 0, 0, 0, 0) + bytes(xor) + bytes(mask)
        entries += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(dib), offset)
        blobs += dib
        offset += len(dib)
    return header + entries + blobs


# --- output ----------------------------------------------------------------

def render_all():
    track, fill = progress_columns()
    return {
        129: main_background(),
        130: check_box(True),
        131: check_box(False),
        132: column_image(track),
        133: column_image(fill),
        134: button(FACE_ANALYSE, primary=True),
        135: button(FACE_CLOSE, primary=False),
        136: button(FACE_CLEAN, primary=True),
        138: details_background(),
        141: info_background(),
        142: button(FACE_OK, primary=True),
    }


def main():
    os.makedirs(ART_DIR, exist_ok=True)
    for rid, img in render_all().items():
        img.convert("RGB").save(os.path.join(ART_DIR, BITMAPS[rid]), "BMP")
    with open(os.path.join(ART_DIR, ICON_FILE), "wb") as f:
        f.write(ico_bytes([draw_mark(n) for n in ICON_SIZES]))
    print("make_art: wrote %d bitmaps and %s to %s"
          % (len(BITMAPS), ICON_FILE, os.path.relpath(ART_DIR, ROOT)))


if __name__ == "__main__":
    main()
