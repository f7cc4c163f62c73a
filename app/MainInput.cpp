// The main window's mouse input: hot spots of the skin, dragging by any
// point, and the right-click menu.
#include <windowsx.h>

#include "layout/Layout.h"
#include "app/MainDialog.h"
#include "app/MainTexts.h"
#include "net/AutoStart.h"
#include "ui/DetailsDialog.h"
#include "ui/resource.h"
#include "win/App.h"

namespace app {

std::optional<LRESULT> CMainDialog::OnLButtonDown(WPARAM, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    using namespace layout;
    if (kMinimiseHot.Contains(x, y)) {
        ::ShowWindow(m_hWnd, SW_MINIMIZE);
    } else if (kCloseHot.Contains(x, y)) {
        OnCancel();
    } else if (!kDetailsHot.Contains(x, y)) {
        // Any other point drags the window, as its caption would.
        Send(WM_NCLBUTTONDOWN, HTCAPTION, lParam);
    } else if (m_listTraces.GetItemCount() > 0) {
        OpenDetails();
    } else {
        ::MessageBoxA(m_hWnd, kv::NoAnalysisItemsText().c_str(), kv::kProgramName, MB_OK);
    }
    return std::nullopt;
}

// Modal and without owner: the main window stays usable as a window of its
// own while the details are open, as it was designed.
void CMainDialog::OpenDetails() {
    ui::CDetailsDialog details(m_listTraces);
    details.DoModal();
    // Closed first, then the same pass as the action button.
    if (details.CleanRequested()) StartPass();
}

std::optional<LRESULT> CMainDialog::OnRButtonDown(WPARAM, LPARAM) {
    win::UniqueMenu menu(::LoadMenuA(win::ResourceInstance(), MAKEINTRESOURCEA(IDR_POPUP)));
    HMENU popup = menu ? ::GetSubMenu(menu.Get(), 0) : nullptr;
    if (!popup) return std::nullopt;
    if (m_listTraces.GetItemCount() > 0)
        ::ModifyMenuA(popup, ID_START_PASS, MF_BYCOMMAND | MF_STRING, ID_START_PASS,
                      kv::StartCleaningMenuText().c_str());
    const bool bAutoStart = kv::IsAutoStartOn(m_platform.Get().registry);
    ::CheckMenuItem(popup, ID_AUTOSTART, MF_BYCOMMAND | (bAutoStart ? MF_CHECKED : MF_UNCHECKED));
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, m_hWnd, nullptr);
    return std::nullopt;
}

void CMainDialog::OnToggleAutoStart(UINT) { kv::ToggleAutoStart(m_platform.Get().registry, m_strAppDir); }

}  // namespace app
