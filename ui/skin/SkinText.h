// The one font every skinned window draws its texts in, and how they draw them.
#pragma once

#include <windows.h>

#include <string>

#include "layout/Geometry.h"
#include "win/Handles.h"

namespace ui {

// "굴림", 12 pixels high, of `weight`; created for one paint.
win::UniqueFont CreateSkinFont(int weight);
// Draws `text` left and top aligned in `where`.
void DrawSkinText(HDC dc, const std::string& text, const layout::Rect& where);

}  // namespace ui
