#include "ui/SkinDialog.h"

#include <windowsx.h>

#include <string>

#include "app/MainTexts.h"
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

std::optional<LRESULT> CSkinDialog::OnEraseBkgnd(WPARAM wParam, LPARAM) {
    const HDC target = reinterpret_cast<HDC>(wParam);
    const RECT client = ClientRect();
    const int w = client.right - client.left;
    const int h = client.bottom - client.top;
    win::OffscreenSurface surface(target, w, h);
    if (!surface.Valid()) return TRUE;
    {
        win::MemoryDC background(target);
        win::SelectScope select(background.Dc(), m_bmpBackground.Get());
        ::BitBlt(surface.Dc(), 0, 0, w, h, background.Dc(), 0, 0, SRCCOPY);
    }
    ::SetBkMode(surface.Dc(), TRANSPARENT);
    DrawTexts(surface.Dc());
    surface.CopyTo(target, client.left, client.top);
    return TRUE;
}

std::optional<LRESULT> CSkinDialog::OnLButtonDown(WPARAM, LPARAM lParam) {
    if (m_rcClose.Contains(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)))
        OnCancel();
    else
        Send(WM_NCLBUTTONDOWN, HTCAPTION, lParam);  // any other point drags, as a caption would
    return std::nullopt;
}

std::optional<LRESULT> CSkinDialog::OnSize(WPARAM, LPARAM) {
    ApplyRoundedRegion(m_hWnd);
    return std::nullopt;
}

void ApplyRoundedRegion(HWND hWnd) {
    RECT window{};
    ::GetWindowRect(hWnd, &window);
    const layout::Rect shape = layout::RoundRegionRect(window.right - window.left, window.bottom - window.top);
    win::UniqueRegion region(::CreateRoundRectRgn(shape.left, shape.top, shape.right, shape.bottom,
                                                  layout::kCornerEllipse, layout::kCornerEllipse));
    // On success the window owns the region.
    if (region && ::SetWindowRgn(hWnd, region.Get(), TRUE)) region.Detach();
}

win::UniqueFont CreateSkinFont(int weight) {
    return win::UniqueFont(::CreateFontA(12, 0, 0, 0, weight, FALSE, FALSE, FALSE, 0, OUT_TT_PRECIS,
                                         CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_MODERN,
                                         kv::SkinFontFace().c_str()));
}

void DrawSkinText(HDC dc, const std::string& text, const layout::Rect& where) {
    RECT rc{where.left, where.top, where.right, where.bottom};
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_LEFT | DT_TOP);
}

}  // namespace ui
