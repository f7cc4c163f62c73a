#include "app/main/MainDialog.h"

#include "app/main/AppDir.h"
#include "app/main/MainTexts.h"
#include "engine/core/StatusTexts.h"
#include "layout/Layout.h"
#include "ui/resource.h"
#include "win/App.h"

namespace app {

namespace {

constexpr int kTraceColumnWidth = 100;
const char* const kTraceColumns[seam::kColumnCount] = {"NAME", "READ", "CODE", "REGKEY", "VALUe", "DATA"};
const int kCategoryControl[seam::kCategoryCount] = {IDC_CHECK_GRID, IDC_CHECK_PROCESS, IDC_CHECK_REGISTRY,
                                                  IDC_CHECK_RECENT};
static_assert(layout::kCategoryRows == seam::kCategoryCount, "the skin has one row per category");

}  // namespace

CMainDialog::CMainDialog()
    : CSkinDialog(IDD_MAIN, IDB_MAIN_BG, layout::kWindowWidth, layout::kWindowHeight, layout::kCloseHot),
      m_categories(m_platform.Get(), m_state, m_view),
      m_engine(m_platform.Get(), m_state, m_view, m_categories) {
    m_hIcon = ::LoadIconA(win::ResourceInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_state.SetStatusText(engine::StatusWaiting());
}

CMainDialog::~CMainDialog() = default;

void CMainDialog::AnalyseOrClean() { m_engine.AnalyseOrClean(); }

BOOL CMainDialog::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    m_listTraces.Attach(GetDlgItem(IDC_TRACE_LIST));
    AttachControl(m_btnAction, IDC_ACTION);
    AttachControl(m_btnExit, IDC_CLOSE);
    AttachControl(m_progress, IDC_PROGRESS);
    for (int c = 0; c < seam::kCategoryCount; ++c) AttachControl(m_btnCategory[c], kCategoryControl[c]);
    m_view.Bind(m_hWnd, m_progress);

    Send(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    Send(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    EnforceSingleInstance();

    SetUpControls();
    m_strAppDir = AppDirFromModulePath(m_platform.Get().system.ModulePath());
    m_prompts.Bind(m_hWnd);
    seam::Platform& platform = m_platform.Get();
    m_checker.emplace(platform.net, net::UpdateParts{platform.trust, platform.files, m_makerPins}, m_relay);
    m_menuCheck.emplace(platform.net, platform.registry, m_state.m_bOnline, *m_checker, m_relay);
    ReportStartUp();

    ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, ::GetWindowLongPtrA(m_hWnd, GWL_STYLE) | WS_SYSMENU | WS_MINIMIZEBOX);
    ::SetWindowTextA(m_hWnd, kProgramName);

    if (m_bSecondInstance) {
        // This instance is closing (its IDCANCEL is queued): it must never appear.
        ::SetWindowLongPtrA(m_hWnd, GWL_STYLE, ::GetWindowLongPtrA(m_hWnd, GWL_STYLE) & ~WS_VISIBLE);
        ::ShowWindow(m_hWnd, SW_HIDE);
    }
    return TRUE;
}

void CMainDialog::EnforceSingleInstance() {
    win::UniqueHandle mutex(::CreateMutexA(nullptr, FALSE, kProgramName));
    if (::GetLastError() != ERROR_ALREADY_EXISTS) {
        m_hInstanceMutex = std::move(mutex);
        return;
    }
    mutex.Reset();
    // This dialog's own title is still empty, so the search finds only the first instance.
    HWND hFirst = ::FindWindowA(nullptr, kProgramName);
    if (!hFirst) return;
    m_bSecondInstance = true;
    Send(WM_COMMAND, IDCANCEL, 0);
    ::ShowWindow(hFirst, SW_RESTORE);
    ::SetForegroundWindow(hFirst);
}

void CMainDialog::SetUpControls() {
    for (int c = 0; c < seam::kCategoryCount; ++c) {
        m_btnCategory[c].LoadBitmaps(IDB_CHECK_ON, IDB_CHECK_ON, IDB_CHECK_ON);
    }
    m_btnAction.LoadBitmaps(IDB_BTN_ANALYSE, IDB_BTN_ANALYSE, IDB_BTN_ANALYSE);
    m_btnExit.LoadBitmaps(IDB_BTN_CLOSE, IDB_BTN_CLOSE, IDB_BTN_CLOSE);
    m_progress.LoadBitmaps(IDB_PROGRESS_FILL, IDB_PROGRESS_FILL, IDB_PROGRESS_TRACK, IDB_PROGRESS_FILL);

    using namespace layout;
    m_progress.SetRect(kProgress.left, kProgress.top, kProgress.right, kProgress.bottom);
    for (int c = 0; c < seam::kCategoryCount; ++c) m_btnCategory[c].Place(kCheck[c]);
    m_btnAction.Place(kAction);
    m_btnExit.Place(kExit);

    // The list is never shown: with redraw off it does not lay itself out
    // or repaint on every insertion.
    m_listTraces.SetRedraw(false);
    for (int column = 0; column < seam::kColumnCount; ++column)
        m_listTraces.InsertColumn(column, kTraceColumns[column], LVCFMT_LEFT, kTraceColumnWidth);
}

void CMainDialog::ReportStartUp() {
    net::CheckVersionAtStartUp(m_platform.Get().net, m_platform.Get().registry, m_state.m_bOnline, *m_checker);
}

}  // namespace app
