// The main window's texts over the skin, and its minimised face.
#include "app/main/MainDialog.h"
#include "app/main/MainTexts.h"
#include "layout/Layout.h"
#include "ui/skin/SkinText.h"
#include "win/Gdi.h"

namespace app {

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

void CMainDialog::DrawTexts(HDC dc) {
    win::UniqueFont font = ui::CreateSkinFont(500);
    win::SelectScope selectFont(dc, font.Get());
    ::SetTextColor(dc, RGB(51, 51, 51));
    ui::DrawSkinText(dc, m_state.StatusText(), layout::kStatus);
    for (int c = 0; c < seam::kCategoryCount; ++c) {
        const auto category = static_cast<seam::Category>(c);
        ui::DrawSkinText(dc, CountLabel(category) + m_state.CountText(category) + CountSuffix(),
                         layout::kCountLine[c]);
    }
}

}  // namespace app
