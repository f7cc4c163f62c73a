// The push button of every window: owner-drawn from three skin bitmaps
// (normal, pressed, hover), no text, border or focus rectangle. Attached to
// an owner-draw button of a dialog template, so clicks still reach the
// dialog as ordinary button commands; the dialog reflects WM_DRAWITEM here.
#pragma once

#include <windows.h>

#include "layout/Geometry.h"
#include "ui/skin/OwnedImages.h"
#include "ui/skin/SkinBitmaps.h"
#include "ui/skin/SkinButtonState.h"
#include "win/Subclass.h"

namespace ui {

class CSkinButton : public win::CSubclassWindow {
public:
    // Replaces the three faces (resource ids, low 16 bits used). A face that
    // does not load draws as the plain button colour. Returns 0. The new
    // faces show at the next repaint.
    int LoadBitmaps(unsigned nNormal, unsigned nPressed, unsigned nHover);
    // Stores the placement (parent client coordinates) only; the caller moves
    // the window. Its size is the size of the face copied when drawing.
    void SetRect(int left, int top, int right, int bottom) { m_rect = layout::Rect{left, top, right, bottom}; }
    // SetRect, then move the window there.
    void Place(const layout::Rect& rect);

    bool DrawItem(const DRAWITEMSTRUCT& item) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    SkinButtonState m_state;
    OwnedImages<ResourceBitmapTraits, 3> m_faces;
    layout::Rect m_rect{0, 0, 0, 0};
};

}  // namespace ui
