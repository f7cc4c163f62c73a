// The engine's view of the main window (seam::IView), safe to call from a
// pass's worker thread.
//
// Nothing here blocks the worker on the window except the trace list's
// Flush (app/ShownTraceList.h). Repaint requests only mark what changed;
// the window thread's repaint timer invalidates each marked rectangle at most
// once per period, so tens of thousands of counter changes cost a few dozen
// repaints. The worker's FlushRepaints at the end of a pass invalidates
// whatever is still marked, so the last state is always drawn.
#pragma once

#include <windows.h>

#include <atomic>

#include "app/main/ShownTraceList.h"
#include "engine/core/TraceList.h"
#include "seam/View.h"

namespace ui {
class CSkinProgress;
}

namespace app {

class CMainView : public seam::IView {
public:
    // `traces`: the engine's trace list, which the window shows; not owned.
    explicit CMainView(engine::CTraceList& traces) : m_traces(traces) {}

    // The dialog and its progress bar; set once, on the window thread, before
    // any pass starts.
    void Bind(HWND hDlg, ui::CSkinProgress& progress);

    seam::ITraceList& Traces() override { return m_traces; }
    void CounterChanged(seam::Category category) override;
    void StatusChanged() override;
    // Posted to the window thread, which owns the button's bitmaps.
    void SetActionFace(seam::ActionFace face) override;
    void SetProgress(int percent) override;

    // Invalidates every marked rectangle; any thread.
    void FlushRepaints();
    // The worker's last act on the list in a pass: the list control counts
    // every row.
    void EndPass() { m_traces.Flush(); }
    // Tells the window thread that the pass is over.
    void PostPassEnded();
    // The dialog is being destroyed.
    void SetClosing();

private:
    enum : unsigned {
        kMarkCount0 = 1u << 0,  // one bit per category, from here
        kMarkStatus = 1u << seam::kCategoryCount,
        kMarkProgress = kMarkStatus << 1,
    };
    void Mark(unsigned bits) { m_nMarks.fetch_or(bits); }

    HWND m_hDlg = nullptr;                     // not owned
    ui::CSkinProgress* m_pProgress = nullptr;  // not owned: a member of the dialog
    std::atomic<unsigned> m_nMarks{0};
    std::atomic<bool> m_bClosing{false};
    CShownTraceList m_traces;
};

}  // namespace app
