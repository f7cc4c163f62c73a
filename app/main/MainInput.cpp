// The main window's own hot spots and its right-click menu.
#include "app/main/MainDialog.h"
#include "app/main/MainTexts.h"
#include "engine/kinds/TraceChoice.h"
#include "layout/Layout.h"
#include "net/AutoStart.h"
#include "net/UsageSwitch.h"
#include "ui/DetailsDialog.h"
#include "ui/resource.h"
#include "win/App.h"

namespace app {

bool CMainDialog::OnHotSpot(int x, int y) {
    if (layout::kMinimiseHot.Contains(x, y)) {
        ::ShowWindow(m_hWnd, SW_MINIMIZE);
        return true;
    }
    if (!layout::kDetailsHot.Contains(x, y)) return false;
    if (m_traces.Count() > 0)
        OpenDetails();
    else
        ::MessageBoxA(m_hWnd, NoAnalysisItemsText().c_str(), kProgramName, MB_OK);
    return true;
}

// Modal and without owner: the main window stays usable as a window of its
// own while the details are open, as it was designed. The details window
// reads the trace list row by row while it is open, so no pass may change
// the list meanwhile: it holds the pass from its opening on, and a press of
// the action button is ignored then, as while a pass runs; a click on the
// link while a pass runs opens nothing.
void CMainDialog::OpenDetails() {
    if (!m_state.TryBeginPass()) return;
    int nLeft = 0;
    try {
        engine::CTraceChoice choice(m_view.Traces());
        ui::CDetailsDialog details(m_traces, choice);
        details.DoModal();
        if (details.CleanRequested()) {
            // Closed first, then the same pass as the action button, on the
            // rows the user kept.
            nLeft = choice.LeaveOut(m_state, m_view);
            m_view.EndPass();
            m_view.FlushRepaints();
        }
    } catch (...) {
        m_state.EndPass();  // never left held
        throw;
    }
    if (nLeft == 0) {
        m_state.EndPass();
        return;
    }
    LaunchPass();
}

std::optional<LRESULT> CMainDialog::OnRButtonDown(WPARAM, LPARAM) {
    win::UniqueMenu menu(::LoadMenuA(win::ResourceInstance(), MAKEINTRESOURCEA(IDR_POPUP)));
    HMENU popup = menu ? ::GetSubMenu(menu.Get(), 0) : nullptr;
    if (!popup) return std::nullopt;
    if (m_traces.Count() > 0)
        ::ModifyMenuA(popup, ID_START_PASS, MF_BYCOMMAND | MF_STRING, ID_START_PASS,
                      StartCleaningMenuText().c_str());
    const bool bAutoStart = net::IsAutoStartOn(m_platform.Get().registry);
    ::CheckMenuItem(popup, ID_AUTOSTART, MF_BYCOMMAND | (bAutoStart ? MF_CHECKED : MF_UNCHECKED));
    const bool bSendUsage = net::IsUsageCountOn(m_platform.Get().registry);
    ::CheckMenuItem(popup, ID_SEND_USAGE, MF_BYCOMMAND | (bSendUsage ? MF_CHECKED : MF_UNCHECKED));
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, m_hWnd, nullptr);
    return std::nullopt;
}

void CMainDialog::OnToggleAutoStart(UINT) { net::ToggleAutoStart(m_platform.Get().registry, m_strAppDir); }

// Read again rather than remembered: the registry is the switch's only record.
// A write that fails leaves the switch as it was, and the check mark says so
// the next time the menu opens.
void CMainDialog::OnToggleUsageCount(UINT) {
    seam::IRegistry& reg = m_platform.Get().registry;
    net::SetUsageCountOn(reg, !net::IsUsageCountOn(reg));
}

}  // namespace app
