#include "app/TraceListProxy.h"

#include "app/MainMessages.h"

#include <algorithm>

namespace app {

void CTraceListProxy::SendBatch(TraceBatch& batch) {
    if (m_bClosing.load() || !m_hDlg) return;
    ::SendMessageA(m_hDlg, WM_KV_TRACE_BATCH, 0, reinterpret_cast<LPARAM>(&batch));
}

// In chunks: copying a large list in one message would keep the window from
// answering for as long as the copy takes. The worker is the list's only
// writer while a pass runs, so the chunks add up to one consistent copy.
void CTraceListProxy::FetchRows(std::vector<seam::TraceItem>& rows) {
    rows.clear();
    TraceFetch fetch{&rows, 0};
    do {
        if (m_bClosing.load() || !m_hDlg) return;
        fetch.read = 0;
        ::SendMessageA(m_hDlg, WM_KV_TRACE_FETCH, 0, reinterpret_cast<LPARAM>(&fetch));
    } while (fetch.read == kTraceFetchChunk);
}

void ApplyTraceBatch(const win::CListView& list, const TraceBatch& batch) {
    for (const TraceOp& op : batch) {
        if (op.kind == TraceOp::kDelete) {
            list.DeleteItem(op.index);
            continue;
        }
        if (list.InsertItem(0, op.row.text[seam::kColName]) < 0) continue;
        // Columns a category leaves empty are empty already.
        for (int column = seam::kColRead; column < seam::kColumnCount; ++column)
            if (!op.row.text[column].empty()) list.SetItemText(0, column, op.row.text[column]);
    }
}

void ReadTraceRows(const win::CListView& list, TraceFetch& fetch) {
    std::vector<seam::TraceItem>& rows = *fetch.rows;
    const int first = static_cast<int>(rows.size());
    const int end = std::min(list.GetItemCount(), first + kTraceFetchChunk);
    for (int index = first; index < end; ++index) {
        seam::TraceItem& row = rows.emplace_back();
        for (int column = 0; column < seam::kColumnCount; ++column)
            row.text[column] = list.GetItemText(index, column);
    }
    fetch.read = std::max(0, end - first);
}

}  // namespace app
