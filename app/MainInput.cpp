// The main window's mouse input: hot spots of the skin, dragging by any
// point, and the right-click menu.
#include <windowsx.h>

#include "app/AppDir.h"
#include "app/Layout.h"
#include "app/MainDialog.h"
#include "app/MainTexts.h"
#include "registry/RegHelpers.h"
#include "ui/resource.h"
#include "win/App.h"

namespace app {

namespace {
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
}

std::optional<LRESULT> CMainDialog::OnLButtonDown(WPARAM, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    using namespace kv::layout;
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

void CMainDialog::OpenDetails() {
    // Later work: the details dialog (template 137) opens here, modally and
    // without owner, listing the rows of m_listTraces.
}

std::string CMainDialog::ReadAutoStart() {
    char text[260] = {};
    kv::ReadRegString(m_platform.Get().registry, kv::RegRoot::CurrentUser, kRunKey, kv::kProgramName, "0", text,
                      sizeof text);
    return text;
}

std::optional<LRESULT> CMainDialog::OnRButtonDown(WPARAM, LPARAM) {
    win::UniqueMenu menu(::LoadMenuA(win::ResourceInstance(), MAKEINTRESOURCEA(IDR_POPUP)));
    HMENU popup = menu ? ::GetSubMenu(menu.Get(), 0) : nullptr;
    if (!popup) return std::nullopt;
    if (m_listTraces.GetItemCount() > 0)
        ::ModifyMenuA(popup, ID_START_PASS, MF_BYCOMMAND | MF_STRING, ID_START_PASS,
                      kv::StartCleaningMenuText().c_str());
    const bool bAutoStart = ReadAutoStart() != "0";
    ::CheckMenuItem(popup, ID_AUTOSTART, MF_BYCOMMAND | (bAutoStart ? MF_CHECKED : MF_UNCHECKED));
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::TrackPopupMenu(popup, 0, cursor.x, cursor.y, 0, m_hWnd, nullptr);
    return std::nullopt;
}

void CMainDialog::OnToggleAutoStart(UINT) {
    kv::IRegistry& registry = m_platform.Get().registry;
    if (ReadAutoStart() == "0")
        kv::WriteRegString(registry, kv::RegRoot::CurrentUser, kRunKey, kv::kProgramName,
                           kv::AutoStartCommand(m_strAppDir));
    else
        kv::DeleteRegValue(registry, kv::RegRoot::CurrentUser, kRunKey, kv::kProgramName);
}

}  // namespace app
