// The analysis progress bar: a static control of the main dialog painted
// column by column from four one-pixel-wide skin bitmaps (left end, right
// end, track, fill), composed off-screen and copied in one go.
#pragma once

#include <windows.h>

#include <atomic>

#include "layout/Geometry.h"
#include "ui/skin/OwnedImages.h"
#include "ui/skin/SkinBitmaps.h"
#include "win/Subclass.h"

namespace ui {

class CSkinProgress : public win::CSubclassWindow {
public:
    // Replaces the four images (resource ids, low 16 bits used).
    void LoadBitmaps(unsigned nLeft, unsigned nRight, unsigned nTrack, unsigned nFill);
    // Stores the placement and moves the window there, repainting.
    void SetRect(int left, int top, int right, int bottom);
    // Sets the fill position from a percentage without repainting; safe from
    // any thread (the window thread reads the position when it paints).
    void StorePos(int percent);

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void Paint(HDC target);

    enum { kLeft, kRight, kTrack, kFill };
    OwnedImages<ResourceBitmapTraits, 4> m_images;
    std::atomic<int> m_nFill{0};
    layout::Rect m_rect{0, 0, 0, 0};
};

}  // namespace ui
