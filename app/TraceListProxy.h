// The trace list as a pass's worker sees it: TraceOpQueue carrying its
// batches to the hidden list view on the window thread (one sent message per
// batch), plus the window thread's side that applies them.
#pragma once

#include <windows.h>

#include <atomic>
#include <vector>

#include "app/TraceOpQueue.h"
#include "win/ListView.h"

namespace app {

class CTraceListProxy : public TraceOpQueue {
public:
    // The dialog whose thread owns the list; set once at initialisation.
    void Bind(HWND hDlg) { m_hDlg = hDlg; }
    // The dialog is being destroyed: from now on nothing is sent, so a worker
    // still running never waits on a window that will not answer.
    void SetClosing() { m_bClosing.store(true); }

protected:
    void SendBatch(TraceBatch& batch) override;
    void FetchRows(std::vector<seam::TraceItem>& rows) override;

private:
    HWND m_hDlg = nullptr;  // not owned
    std::atomic<bool> m_bClosing{false};
};

// One fetch message: the rows after those already in *rows, at most
// kTraceFetchChunk of them; `read` says how many were added.
inline constexpr int kTraceFetchChunk = 1000;
struct TraceFetch {
    std::vector<seam::TraceItem>* rows;
    int read;
};

// Window thread: apply a batch to the list / read the next chunk of its rows.
void ApplyTraceBatch(const win::CListView& list, const TraceBatch& batch);
void ReadTraceRows(const win::CListView& list, TraceFetch& fetch);

}  // namespace app
