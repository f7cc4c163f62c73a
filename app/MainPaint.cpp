// The main window's painting and shape. Everything is drawn in the
// background erase, from one off-screen picture, so the window never shows
// the skin without its texts.
#include "layout/Layout.h"
#include "app/MainDialog.h"
#include "app/MainTexts.h"
#include "ui/SkinDialog.h"
#include "win/Gdi.h"

namespace app {

namespace {

RECT ToRect(const layout::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void DrawLine(HDC dc, const std::string& text, const layout::Rect& where) {
    RECT rc = ToRect(where);
    ::DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_LEFT | DT_TOP);
}

}  // namespace

std::optional<LRESULT> CMainDialog::OnPaint(WPARAM, LPARAM) {
    if (!::IsIconic(m_hWnd)) return std::nullopt;
    win::PaintScope paint(m_hWnd);
    Send(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.Dc()), 0);
    const RECT client = ClientRect();
    const layout::Point at = layout::MinimisedIconOrigin(client.right - client.left, client.bottom - client.top,
                                                 ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    ::DrawIcon(paint.Dc(), at.x, at.y, m_hIcon);
    return 0;
}

std::optional<LRESULT> CMainDialog::OnQueryDragIcon(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(m_hIcon);
}

std::optional<LRESULT> CMainDialog::OnEraseBkgnd(WPARAM wParam, LPARAM) {
    PaintSkin(reinterpret_cast<HDC>(wParam));
    return TRUE;
}

void CMainDialog::PaintSkin(HDC target) {
    const RECT client = ClientRect();
    win::OffscreenSurface surface(target, client.right - client.left, client.bottom - client.top);
    if (!surface.Valid()) return;
    {
        win::MemoryDC skin(target);
        win::SelectScope select(skin.Dc(), m_bmpSkin.Get());
        ::BitBlt(surface.Dc(), 0, 0, client.right - client.left, client.bottom - client.top, skin.Dc(), 0, 0,
                 SRCCOPY);
    }

    win::UniqueFont font = ui::CreateSkinFont(500);
    win::SelectScope selectFont(surface.Dc(), font.Get());
    ::SetBkMode(surface.Dc(), TRANSPARENT);
    ::SetTextColor(surface.Dc(), RGB(51, 51, 51));

    DrawLine(surface.Dc(), m_state.StatusText(), layout::kStatus);
    for (int c = 0; c < kv::kCategoryCount; ++c) {
        const auto category = static_cast<kv::Category>(c);
        DrawLine(surface.Dc(), kv::CountLabel(category) + m_state.CountText(category) + kv::CountSuffix(),
                 layout::kCountLine[c]);
    }
    surface.CopyTo(target, client.left, client.top);
}

std::optional<LRESULT> CMainDialog::OnSize(WPARAM, LPARAM) {
    ui::ApplyRoundedRegion(m_hWnd);
    return std::nullopt;
}

}  // namespace app
