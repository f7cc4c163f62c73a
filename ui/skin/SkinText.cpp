#include "ui/skin/SkinText.h"

#include "seam/Text.h"

namespace ui {

win::UniqueFont CreateSkinFont(int weight) {
    const std::string& face = seam::FixedCp949("굴림");
    return win::UniqueFont(::CreateFontA(12, 0, 0, 0, weight, FALSE, FALSE, FALSE, 0, OUT_TT_PRECIS,
                                         CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_MODERN, face.c_str()));
}

void DrawSkinText(HDC dc, const std::string& text, const layout::Rect& where) {
    RECT rc{where.left, where.top, where.right, where.bottom};
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_LEFT | DT_TOP);
}

}  // namespace ui
