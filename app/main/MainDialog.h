// The program's only top-level window: a skinned dialog (ui/SkinDialog.h),
// 510 x 360 with rounded corners and no title bar.
//
// The dialog shows state; the engine owns it. The flags, counters and the
// status text live in m_state (engine::EngineState) and the traces in
// m_traces (engine::CTraceList), which a pass's worker writes and the window
// reads; the engine reaches the window only through m_view (app/MainView.h).
//
// Files: MainDialog.cpp (construction, initialisation, single instance),
// MainPaint.cpp (painting), MainInput.cpp (mouse and menu),
// MainCommands.cpp (commands and the pass's worker).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/main/MainView.h"
#include "app/main/UpdatePrompts.h"
#include "engine/core/Engine.h"
#include "engine/core/EngineState.h"
#include "engine/kinds/TraceCategories.h"
#include "engine/core/TraceList.h"
#include "net/update/MenuVersionCheck.h"
#include "net/update/PromptRelay.h"
#include "net/update/VersionCheck.h"
#include "seam/win32/Win32Platform.h"
#include "ui/skin/SkinButton.h"
#include "ui/skin/SkinDialog.h"
#include "ui/skin/SkinProgress.h"
#include "win/Handles.h"
#include "win/ListView.h"
#include "win/MessageMap.h"

namespace app {

class CMainDialog : public ui::CSkinDialog {
public:
    CMainDialog();
    ~CMainDialog() override;

    // Runs one analyse or clean pass on the calling (worker) thread.
    void AnalyseOrClean();
    // True while a pass's worker is still running.
    bool PassRunning() const { return m_state.PassRunning(); }
    // True while the menu's version check still runs on its worker.
    bool VersionCheckRunning() const { return m_menuCheck && m_menuCheck->Running(); }

protected:
    BOOL OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnCommand(UINT nId) override;
    void OnControlNotify(UINT nId, UINT nCode) override;
    void DrawTexts(HDC dc) override;
    bool OnHotSpot(int x, int y) override;

private:
    // Initialisation
    void EnforceSingleInstance();
    void SetUpControls();
    // The online test, then, when online, the silent version check and the
    // start-up usage count: all before the window is shown.
    void ReportStartUp();

    // Painting of the minimised window (MainPaint.cpp)
    std::optional<LRESULT> OnPaint(WPARAM, LPARAM);
    std::optional<LRESULT> OnQueryDragIcon(WPARAM, LPARAM);

    // Mouse (MainInput.cpp)
    std::optional<LRESULT> OnRButtonDown(WPARAM, LPARAM);
    void OpenDetails();

    // Commands (MainCommands.cpp)
    void OnToggleCategory(UINT nId);
    void StartPass(UINT = 0);
    // The worker of a pass already begun (EngineState::TryBeginPass).
    void LaunchPass();
    void OnExit(UINT = 0);
    void OnSupport(UINT);
    void OnCheckLatestVersion(UINT);
    void OnToggleAutoStart(UINT);
    void OnToggleUsageCount(UINT);
    void OnProgramInfo(UINT);

    // The pass's worker and its hand-over messages
    static DWORD WINAPI PassProc(void* param);
    void RunPass();
    std::optional<LRESULT> OnTraceSync(WPARAM, LPARAM);
    // The hidden list control's row count takes the trace list's.
    void SyncTraceCount();
    // The list control asks for the texts it shows (LVN_GETDISPINFO).
    std::optional<LRESULT> OnNotify(WPARAM, LPARAM);
    std::optional<LRESULT> OnActionFace(WPARAM, LPARAM);
    std::optional<LRESULT> OnPassEnded(WPARAM, LPARAM);
    std::optional<LRESULT> OnVersionChecked(WPARAM, LPARAM);
    std::optional<LRESULT> OnTimer(WPARAM, LPARAM);
    std::optional<LRESULT> OnDestroy(WPARAM, LPARAM);

    static const win::MessageEntry<CMainDialog> kMessages[];
    static const win::CommandEntry<CMainDialog> kCommands[];

    win::CListView m_listTraces;  // hidden; shows m_traces (LVS_OWNERDATA)
    ui::CSkinButton m_btnAction;
    ui::CSkinButton m_btnExit;
    ui::CSkinProgress m_progress;
    ui::CSkinButton m_btnCategory[seam::kCategoryCount];
    HICON m_hIcon = nullptr;  // shared resource icon: not destroyed

    engine::EngineState m_state;
    engine::CTraceList m_traces;
    seam::Win32Platform m_platform;
    CMainView m_view{m_traces};
    engine::CTraceCategories m_categories;
    engine::CTraceEngine m_engine;

    std::string m_strAppDir;
    CUpdatePrompts m_prompts;
    // Between the checker and the boxes: passes them through at start-up,
    // holds them for the window's thread while the menu's check runs.
    net::CPromptRelay m_relay{m_prompts};
    // Whose signed releases the version check starts.
    const net::MakerPins m_makerPins = net::BuiltInMakerPins();
    // The version check with the server's last reply; made with the window.
    std::optional<net::CUpdateChecker> m_checker;
    // The menu's check on its worker thread; made with m_checker, and gone
    // before it.
    std::optional<net::CMenuVersionCheck> m_menuCheck;
    // Held for the program's whole life: its existence is the single-instance signal.
    win::UniqueHandle m_hInstanceMutex;
    bool m_bSecondInstance = false;
};

}  // namespace app
