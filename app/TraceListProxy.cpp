#include "app/TraceListProxy.h"

#include "app/MainMessages.h"

namespace app {

void CTraceListProxy::SendBatch(kv::TraceBatch& batch) {
    if (m_bClosing.load() || !m_hDlg) return;
    ::SendMessageA(m_hDlg, WM_KV_TRACE_BATCH, 0, reinterpret_cast<LPARAM>(&batch));
}

void CTraceListProxy::FetchRows(std::vector<kv::TraceItem>& rows) {
    rows.clear();
    if (m_bClosing.load() || !m_hDlg) return;
    ::SendMessageA(m_hDlg, WM_KV_TRACE_FETCH, 0, reinterpret_cast<LPARAM>(&rows));
}

void ApplyTraceBatch(const win::CListView& list, const kv::TraceBatch& batch) {
    for (const kv::TraceOp& op : batch) {
        if (op.kind == kv::TraceOp::kDelete) {
            list.DeleteItem(op.index);
            continue;
        }
        if (list.InsertItem(0, op.row.text[kv::kColName]) < 0) continue;
        // Columns a category leaves empty are empty already.
        for (int column = kv::kColRead; column < kv::kColumnCount; ++column)
            if (!op.row.text[column].empty()) list.SetItemText(0, column, op.row.text[column]);
    }
}

void ReadTraceRows(const win::CListView& list, std::vector<kv::TraceItem>& rows) {
    const int count = list.GetItemCount();
    rows.resize(static_cast<size_t>(count));
    for (int index = 0; index < count; ++index)
        for (int column = 0; column < kv::kColumnCount; ++column)
            rows[static_cast<size_t>(index)].text[column] = list.GetItemText(index, column);
}

}  // namespace app
