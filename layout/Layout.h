// Where everything sits on the program's three windows, in client pixels
// (the windows have no caption or border, so client and window pixels are
// the same). Each rectangle matches the artwork in ui/art/.
#pragma once

#include "layout/Geometry.h"

namespace layout {

// The main window and the details window share their size, the cross of
// their title strip and the places of their two buttons.
inline constexpr int kWindowWidth = 510;
inline constexpr int kWindowHeight = 360;
inline constexpr Rect kCloseHot{480, 11, 497, 27};
// Main window: action and exit; details window: clean and close.
inline constexpr Rect kAction{172, 320, 252, 349};
inline constexpr Rect kExit{257, 320, 337, 349};

// Corner ellipse of every window's rounded shape.
inline constexpr int kCornerEllipse = 7;

// Main window
inline constexpr Rect kMinimiseHot{460, 11, 477, 27};
inline constexpr Rect kStatus{98, 130, 498, 143};
inline constexpr Rect kProgress{98, 150, 416, 157};
inline constexpr Rect kDetailsHot{425, 283, 486, 296};

// The skin's four category rows, top to bottom: GRID, PROCESS, REGISTRY, RECENT.
inline constexpr int kCategoryRows = 4;
inline constexpr Rect kCheck[kCategoryRows] = {
    {97, 177, 110, 190}, {97, 203, 110, 216}, {97, 229, 110, 242}, {97, 255, 110, 268}};
inline constexpr Rect kCountLine[kCategoryRows] = {
    {119, 178, 319, 191}, {119, 204, 319, 217}, {119, 230, 319, 243}, {119, 256, 319, 269}};

namespace details {

// The gap the background's sentence leaves for the number.
inline constexpr Rect kCountText{162, 103, 192, 116};
inline constexpr Rect kList{12, 181, 498, 309};
// Beside the sentence: how many rows are ticked.
inline constexpr Rect kTickedText{336, 103, 490, 116};

}  // namespace details

namespace info {

inline constexpr int kWindowWidth = 343;
inline constexpr int kWindowHeight = 200;
inline constexpr Rect kCloseHot{314, 11, 331, 27};
inline constexpr Rect kVersionLine{108, 80, 338, 93};
inline constexpr Rect kWebSiteLine{108, 100, 338, 113};
inline constexpr Rect kOk{131, 149, 211, 178};

}  // namespace info

}  // namespace layout
