#include "ui/skin/SkinProgress.h"

#include "ui/skin/ProgressFill.h"
#include "win/Gdi.h"

namespace ui {

void CSkinProgress::LoadBitmaps(unsigned nLeft, unsigned nRight, unsigned nTrack, unsigned nFill) {
    m_images.Load({nLeft, nRight, nTrack, nFill});
}

void CSkinProgress::SetRect(int left, int top, int right, int bottom) {
    m_rect = layout::Rect{left, top, right, bottom};
    Move(left, top, m_rect.Width(), m_rect.Height(), true);
}

void CSkinProgress::StorePos(int percent) { m_nFill.store(ProgressFillPosition(m_rect.Width(), percent)); }

LRESULT CSkinProgress::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        // Validates only; the erase that BeginPaint triggers does the drawing.
        win::PaintScope paint(m_hWnd);
        return 0;
    }
    case WM_ERASEBKGND:
        Paint(reinterpret_cast<HDC>(wParam));
        return 1;
    default:
        return Default(msg, wParam, lParam);
    }
}

void CSkinProgress::Paint(HDC target) {
    const RECT client = ClientRect();
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    win::OffscreenSurface surface(target, w, h);
    if (!surface.Valid()) return;
    win::MemoryDC source(target);

    const HBITMAP columns[] = {m_images[kLeft], m_images[kRight], m_images[kTrack], m_images[kFill]};
    // Widening one column only repeats it; no mode blends pixels then, but
    // this one says so.
    ::SetStretchBltMode(surface.Dc(), COLORONCOLOR);
    PaintProgressRuns(w, m_nFill.load(), [&](ProgressImage image, int x, int count) {
        HBITMAP column = columns[static_cast<int>(image)];
        if (!column) return;
        win::SelectScope select(source.Dc(), column);
        ::StretchBlt(surface.Dc(), x, 0, count, h, source.Dc(), 0, 0, 1, h, SRCCOPY);
    });
    surface.CopyTo(target, client.left, client.top);
}

}  // namespace ui
