// Rectangles and points in window pixels, and the few calculations the
// windows make with them (centring, rounded shape, minimised icon). Portable,
// so they are tested natively.
#pragma once

namespace layout {

struct Rect {
    int left, top, right, bottom;

    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    // As PtInRect: the right and bottom edges are outside.
    constexpr bool Contains(int x, int y) const {
        return x >= left && x < right && y >= top && y < bottom;
    }
};

struct Point {
    int x, y;
};

// The rounded region spans one pixel past the window on the right and bottom
// (CreateRoundRectRgn excludes its right and bottom edges).
constexpr Rect RoundRegionRect(int windowWidth, int windowHeight) {
    return Rect{0, 0, windowWidth + 1, windowHeight + 1};
}

// Top-left corner that centres a window of size w x h on `area` (the screen's
// work area), pulled back inside the area when the window is larger or the
// centre would push it off an edge.
constexpr Point CentredOrigin(const Rect& area, int w, int h) {
    int x = (area.left + area.right) / 2 - w / 2;
    int y = (area.top + area.bottom) / 2 - h / 2;
    if (x + w > area.right) x = area.right - w;
    if (y + h > area.bottom) y = area.bottom - h;
    if (x < area.left) x = area.left;
    if (y < area.top) y = area.top;
    return Point{x, y};
}

// Where the icon goes in a minimised window's client area.
constexpr Point MinimisedIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
    return Point{(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}

}  // namespace layout
