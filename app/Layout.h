// Where everything sits on the main window, in client pixels, and the small
// pieces of geometry the window needs (centring, rounded shape, minimised
// icon). Portable, so the numbers are tested natively.
#pragma once

#include "seam/View.h"

namespace kv {

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

namespace layout {

inline constexpr int kWindowWidth = 510;
inline constexpr int kWindowHeight = 360;

inline constexpr Rect kMinimiseHot{460, 11, 477, 27};
inline constexpr Rect kCloseHot{480, 11, 497, 27};
inline constexpr Rect kStatus{98, 130, 498, 143};
inline constexpr Rect kProgress{98, 150, 416, 157};
inline constexpr Rect kDetailsHot{425, 283, 486, 296};
inline constexpr Rect kAction{172, 320, 252, 349};
inline constexpr Rect kExit{257, 320, 337, 349};

// Indexed by kv::Category: GRID, PROCESS, REGISTRY, RECENT.
inline constexpr Rect kCheck[kCategoryCount] = {
    {97, 177, 110, 190}, {97, 203, 110, 216}, {97, 229, 110, 242}, {97, 255, 110, 268}};
inline constexpr Rect kCountLine[kCategoryCount] = {
    {119, 178, 319, 191}, {119, 204, 319, 217}, {119, 230, 319, 243}, {119, 256, 319, 269}};

// Corner ellipse of the rounded window shape.
inline constexpr int kCornerEllipse = 7;

}  // namespace layout

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

}  // namespace kv
