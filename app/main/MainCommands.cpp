// The main window's commands and the worker thread of a pass.
#include "app/main/MainDialog.h"

#include "app/main/MainMessages.h"
#include "layout/Layout.h"
#include "net/Server.h"
#include "ui/InfoDialog.h"
#include "ui/resource.h"

namespace app {

const win::MessageEntry<CMainDialog> CMainDialog::kMessages[] = {
    {WM_PAINT, &CMainDialog::OnPaint},
    {WM_QUERYDRAGICON, &CMainDialog::OnQueryDragIcon},
    {WM_RBUTTONDOWN, &CMainDialog::OnRButtonDown},
    {WM_TIMER, &CMainDialog::OnTimer},
    {WM_DESTROY, &CMainDialog::OnDestroy},
    {WM_KV_TRACE_SYNC, &CMainDialog::OnTraceSync},
    {WM_NOTIFY, &CMainDialog::OnNotify},
    {WM_KV_ACTION_FACE, &CMainDialog::OnActionFace},
    {WM_KV_PASS_ENDED, &CMainDialog::OnPassEnded},
    {WM_KV_VERSION_CHECKED, &CMainDialog::OnVersionChecked},
};

const win::CommandEntry<CMainDialog> CMainDialog::kCommands[] = {
    {IDC_CHECK_GRID, IDC_CHECK_RECENT, &CMainDialog::OnToggleCategory},
    {IDC_ACTION, IDC_ACTION, &CMainDialog::StartPass},
    {IDC_CLOSE, IDC_CLOSE, &CMainDialog::OnExit},
    {ID_START_PASS, ID_START_PASS, &CMainDialog::StartPass},
    {ID_EXIT, ID_EXIT, &CMainDialog::OnExit},
    {ID_SUPPORT, ID_SUPPORT, &CMainDialog::OnSupport},
    {ID_CHECK_VERSION, ID_CHECK_VERSION, &CMainDialog::OnCheckLatestVersion},
    {ID_AUTOSTART, ID_AUTOSTART, &CMainDialog::OnToggleAutoStart},
    {ID_SEND_USAGE, ID_SEND_USAGE, &CMainDialog::OnToggleUsageCount},
    {ID_PROGRAM_INFO, ID_PROGRAM_INFO, &CMainDialog::OnProgramInfo},
};

std::optional<LRESULT> CMainDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (std::optional<LRESULT> result = win::DispatchMessageMap(*this, kMessages, msg, wParam, lParam)) return result;
    return CSkinDialog::OnMessage(msg, wParam, lParam);
}

bool CMainDialog::OnCommand(UINT nId) { return win::DispatchCommandMap(*this, kCommands, nId); }

// An owner-drawn button reports the second click of a double-click as
// BN_DOUBLECLICKED instead of a click. A category box counts it as a click,
// as a real check box would; the action button does not (one pass at a time).
void CMainDialog::OnControlNotify(UINT nId, UINT nCode) {
    if (nCode == BN_DOUBLECLICKED && nId >= IDC_CHECK_GRID && nId <= IDC_CHECK_RECENT) OnToggleCategory(nId);
}

void CMainDialog::OnToggleCategory(UINT nId) {
    const int c = static_cast<int>(nId - IDC_CHECK_GRID);
    const auto category = static_cast<seam::Category>(c);
    const bool bEnable = !m_state.IsEnabled(category);
    const unsigned face = bEnable ? IDB_CHECK_ON : IDB_CHECK_OFF;
    m_btnCategory[c].LoadBitmaps(face, face, face);
    m_state.SetEnabled(category, bEnable);
    const layout::Rect& box = layout::kCheck[c];
    const RECT rc{box.left, box.top, box.right, box.bottom};
    InvalidateRect(rc, true);
    m_btnCategory[c].Invalidate(true);
}

void CMainDialog::OnExit(UINT) { OnCancel(); }

void CMainDialog::OnSupport(UINT) {
    // The user's default browser; a failure to start it is not reported.
    m_platform.Get().shell.ShellOpen(net::kSupportSite);
}

// The exchange runs on a worker, so the window goes on answering while the
// server takes its time; its boxes come on this thread when it is over. A
// command while a check runs, or while its boxes are up, does nothing.
void CMainDialog::OnCheckLatestVersion(UINT) {
    const HWND hWnd = m_hWnd;  // the worker posts to the handle, never touches the dialog
    m_menuCheck->Start([hWnd] { ::PostMessageA(hWnd, WM_KV_VERSION_CHECKED, 0, 0); });
}

std::optional<LRESULT> CMainDialog::OnVersionChecked(WPARAM, LPARAM) {
    m_menuCheck->ShowPrompts();
    return 0;
}

// Modal and without owner, like the details window.
void CMainDialog::OnProgramInfo(UINT) {
    ui::CInfoDialog info(m_checker->Version());
    info.DoModal();
}

// One pass at a time: a press while a pass runs is ignored, so two quick
// presses never run an analysis and a cleaning side by side on one list.
void CMainDialog::StartPass(UINT) {
    if (!m_state.TryBeginPass()) return;
    LaunchPass();
}

void CMainDialog::LaunchPass() {
    ::SetTimer(m_hWnd, kRepaintTimer, kRepaintPeriodMs, nullptr);
    DWORD threadId = 0;
    win::UniqueHandle worker(::CreateThread(nullptr, 0, &PassProc, this, CREATE_SUSPENDED, &threadId));
    if (!worker) {
        ::KillTimer(m_hWnd, kRepaintTimer);
        m_state.EndPass();
        Send(WM_COMMAND, IDCANCEL, 0);
        return;
    }
    ::ResumeThread(worker.Get());
    // Nobody waits for the worker: the handle is not needed.
}

DWORD WINAPI CMainDialog::PassProc(void* param) {
    static_cast<CMainDialog*>(param)->RunPass();
    return 0;
}

void CMainDialog::RunPass() {
    try {
        AnalyseOrClean();
    } catch (...) {
        // The pass stops where it failed; what it did so far stays shown.
    }
    try {
        m_view.EndPass();
    } catch (...) {
    }
    m_view.FlushRepaints();
    m_view.PostPassEnded();
    // Last: once the pass is over the dialog may be destroyed.
    m_state.EndPass();
}

std::optional<LRESULT> CMainDialog::OnTraceSync(WPARAM, LPARAM) {
    SyncTraceCount();
    return 0;
}

void CMainDialog::SyncTraceCount() {
    const int count = m_traces.Count();
    if (m_listTraces.GetItemCount() != count) m_listTraces.SetVirtualCount(count);
}

std::optional<LRESULT> CMainDialog::OnNotify(WPARAM, LPARAM lParam) {
    if (reinterpret_cast<const NMHDR*>(lParam)->idFrom != IDC_TRACE_LIST) return std::nullopt;
    const bool bAnswered = win::AnswerTextRequest(lParam, [this](int row, int column, char* buffer, size_t capacity) {
        return m_traces.CopyText(row, column, buffer, capacity);
    });
    return bAnswered ? std::optional<LRESULT>(0) : std::nullopt;
}

std::optional<LRESULT> CMainDialog::OnActionFace(WPARAM wParam, LPARAM) {
    const unsigned face =
        static_cast<seam::ActionFace>(wParam) == seam::ActionFace::Clean ? IDB_BTN_CLEAN : IDB_BTN_ANALYSE;
    m_btnAction.LoadBitmaps(face, face, face);
    const layout::Rect& r = layout::kAction;
    InvalidateRect(RECT{r.left, r.top, r.right, r.bottom}, true);
    m_btnAction.Invalidate(true);
    return 0;
}

std::optional<LRESULT> CMainDialog::OnPassEnded(WPARAM, LPARAM) {
    ::KillTimer(m_hWnd, kRepaintTimer);
    SyncTraceCount();
    m_view.FlushRepaints();
    return 0;
}

std::optional<LRESULT> CMainDialog::OnTimer(WPARAM wParam, LPARAM) {
    if (wParam != kRepaintTimer) return std::nullopt;
    SyncTraceCount();
    m_view.FlushRepaints();
    return 0;
}

std::optional<LRESULT> CMainDialog::OnDestroy(WPARAM, LPARAM) {
    ::KillTimer(m_hWnd, kRepaintTimer);
    m_view.SetClosing();
    // The window is already hidden. A check that has not ended by then is
    // cut short with the process (app/CleanerApp.cpp).
    if (m_menuCheck) m_menuCheck->WaitEnded(kVersionCheckCloseWaitMs);
    return std::nullopt;
}

}  // namespace app
