#include "ui/skin/SkinButton.h"

#include <commctrl.h>

#include "win/Gdi.h"

namespace ui {

int CSkinButton::LoadBitmaps(unsigned nNormal, unsigned nPressed, unsigned nHover) {
    m_faces.Load({nNormal, nPressed, nHover});
    return 0;
}

void CSkinButton::Place(const layout::Rect& rect) {
    SetRect(rect.left, rect.top, rect.right, rect.bottom);
    Move(rect.left, rect.top, rect.Width(), rect.Height(), true);
}

LRESULT CSkinButton::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEMOVE:
        m_state.OnMouseMove([this] {
            TRACKMOUSEEVENT track{};
            track.cbSize = sizeof track;
            track.dwFlags = TME_HOVER | TME_LEAVE;
            track.hwndTrack = m_hWnd;
            track.dwHoverTime = 1;
            return ::_TrackMouseEvent(&track);
        });
        return Default(msg, wParam, lParam);
    case WM_MOUSEHOVER:
        m_state.OnMouseHover();
        Invalidate(false);
        return 1;
    case WM_MOUSELEAVE:
        m_state.OnMouseLeave();
        Invalidate(false);
        return 1;
    default:
        return Default(msg, wParam, lParam);
    }
}

bool CSkinButton::DrawItem(const DRAWITEMSTRUCT& item) {
    const ButtonFace face = m_state.Face((item.itemState & ODS_SELECTED) != 0);
    HBITMAP image = m_faces[static_cast<size_t>(face)];
    if (!image) {
        ::FillRect(item.hDC, &item.rcItem, ::GetSysColorBrush(COLOR_BTNFACE));
        return true;
    }
    win::MemoryDC source(item.hDC);
    win::SelectScope select(source.Dc(), image);
    ::BitBlt(item.hDC, 0, 0, m_rect.Width(), m_rect.Height(), source.Dc(), 0, 0, SRCCOPY);
    return true;
}

}  // namespace ui
