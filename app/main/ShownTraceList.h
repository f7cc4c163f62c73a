// The engine's trace list as the main window shows it: the engine's calls
// go straight to the list (engine/TraceList.h), which the hidden list control
// reads row by row on the window thread (LVS_OWNERDATA). The control's row
// count follows the list on every repaint tick of a pass and on Flush, which
// returns once the control counts every row the list holds.
#pragma once

#include <windows.h>

#include <atomic>

#include "engine/core/TraceList.h"
#include "seam/View.h"

namespace app {

class CShownTraceList : public seam::ITraceList {
public:
    explicit CShownTraceList(engine::CTraceList& list) : m_list(list) {}

    // The dialog whose thread owns the list control; set once at initialisation.
    void Bind(HWND hDlg) { m_hDlg = hDlg; }
    // The dialog is being destroyed: from now on nothing is sent, so a worker
    // still running never waits on a window that will not answer.
    void SetClosing() { m_bClosing.store(true); }

    int Count() override { return m_list.Count(); }
    void InsertTop(const seam::TraceItem& row) override { m_list.InsertTop(row); }
    seam::TraceItem Read(int index) override { return m_list.Read(index); }
    void Delete(int index) override { m_list.Delete(index); }
    void Flush() override;

private:
    engine::CTraceList& m_list;
    HWND m_hDlg = nullptr;  // not owned
    std::atomic<bool> m_bClosing{false};
};

}  // namespace app
