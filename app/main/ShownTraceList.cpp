#include "app/main/ShownTraceList.h"

#include "app/main/MainMessages.h"

namespace app {

namespace {
// The window thread answers a count update at once unless it is stuck; a
// worker never waits on it for longer than this.
constexpr UINT kSyncTimeoutMs = 5000;
}  // namespace

void CShownTraceList::Flush() {
    if (m_bClosing.load() || !m_hDlg) return;
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(m_hDlg, WM_KV_TRACE_SYNC, 0, 0, SMTO_NORMAL, kSyncTimeoutMs, &result);
}

}  // namespace app
