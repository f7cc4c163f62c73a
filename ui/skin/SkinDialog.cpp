#include "ui/skin/SkinDialog.h"

#include <windowsx.h>

#include "layout/Layout.h"
#include "win/App.h"
#include "win/Gdi.h"

namespace ui {

const win::MessageEntry<CSkinDialog> CSkinDialog::kMessages[] = {
    {WM_ERASEBKGND, &CSkinDialog::OnEraseBkgnd},
    {WM_LBUTTONDOWN, &CSkinDialog::OnLButtonDown},
    {WM_SIZE, &CSkinDialog::OnSize},
};

CSkinDialog::CSkinDialog(UINT nTemplateId, UINT nBackground, int w, int h, const layout::Rect& closeArea)
    : CDialog(nTemplateId, nullptr), m_nBackground(nBackground), m_nWidth(w), m_nHeight(h), m_rcClose(closeArea) {}

BOOL CSkinDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bmpBackground.Reset(::LoadBitmapA(win::ResourceInstance(), MAKEINTRESOURCEA(m_nBackground)));
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const layout::Point origin =
        layout::CentredOrigin(layout::Rect{work.left, work.top, work.right, work.bottom}, m_nWidth, m_nHeight);
    Move(origin.x, origin.y, m_nWidth, m_nHeight, true);
    return TRUE;
}

std::optional<LRESULT> CSkinDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    return win::DispatchMessageMap(*this, kMessages, msg, wParam, lParam);
}

bool CSkinDialog::PreTranslateMessage(const MSG& msg) {
    return msg.message == WM_KEYDOWN && (msg.wParam == VK_ESCAPE || msg.wParam == VK_RETURN);
}

// Everything is drawn here, from one off-screen picture, so the window never
// shows the background without its texts. Only the part to be repainted is
// composed: during a pass that is a count line or two many times a second,
// and the whole window each time kept the window's thread busy for longer
// than the lines themselves.
std::optional<LRESULT> CSkinDialog::OnEraseBkgnd(WPARAM wParam, LPARAM) {
    const HDC target = reinterpret_cast<HDC>(wParam);
    RECT area{};
    const int clip = ::GetClipBox(target, &area);
    if (clip == NULLREGION) return TRUE;
    if (clip == ERROR) area = ClientRect();
    const int w = area.right - area.left;
    const int h = area.bottom - area.top;
    win::OffscreenSurface surface(target, w, h);
    if (!surface.Valid()) return TRUE;
    // Drawn in the window's own coordinates, landing at the picture's corner.
    ::SetViewportOrgEx(surface.Dc(), -area.left, -area.top, nullptr);
    {
        win::MemoryDC background(target);
        win::SelectScope select(background.Dc(), m_bmpBackground.Get());
        ::BitBlt(surface.Dc(), area.left, area.top, w, h, background.Dc(), area.left, area.top, SRCCOPY);
    }
    ::SetBkMode(surface.Dc(), TRANSPARENT);
    DrawTexts(surface.Dc());
    ::SetViewportOrgEx(surface.Dc(), 0, 0, nullptr);
    surface.CopyTo(target, area.left, area.top);
    return TRUE;
}

std::optional<LRESULT> CSkinDialog::OnLButtonDown(WPARAM, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    if (OnHotSpot(x, y)) return std::nullopt;
    if (m_rcClose.Contains(x, y))
        OnCancel();
    else
        Send(WM_NCLBUTTONDOWN, HTCAPTION, lParam);  // any other point drags, as a caption would
    return std::nullopt;
}

// The shape follows the window's size; on success the window owns the region.
std::optional<LRESULT> CSkinDialog::OnSize(WPARAM, LPARAM) {
    RECT window{};
    ::GetWindowRect(m_hWnd, &window);
    const layout::Rect shape = layout::RoundRegionRect(window.right - window.left, window.bottom - window.top);
    win::UniqueRegion region(::CreateRoundRectRgn(shape.left, shape.top, shape.right, shape.bottom,
                                                  layout::kCornerEllipse, layout::kCornerEllipse));
    if (region && ::SetWindowRgn(m_hWnd, region.Get(), TRUE)) region.Detach();
    return std::nullopt;
}

}  // namespace ui
