#include "app/main/MainView.h"

#include "layout/Layout.h"
#include "app/main/MainMessages.h"
#include "ui/skin/SkinProgress.h"

namespace app {

namespace {
RECT ToRect(const layout::Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
}  // namespace

void CMainView::Bind(HWND hDlg, ui::CSkinProgress& progress) {
    m_hDlg = hDlg;
    m_pProgress = &progress;
    m_traces.Bind(hDlg);
}

void CMainView::CounterChanged(seam::Category category) { Mark(kMarkCount0 << category); }

void CMainView::StatusChanged() { Mark(kMarkStatus); }

void CMainView::SetActionFace(seam::ActionFace face) {
    if (!m_bClosing.load()) ::PostMessageA(m_hDlg, WM_KV_ACTION_FACE, static_cast<WPARAM>(face), 0);
}

void CMainView::SetProgress(int percent) {
    m_pProgress->StorePos(percent);
    Mark(kMarkProgress);
}

void CMainView::FlushRepaints() {
    const unsigned marks = m_nMarks.exchange(0);
    if (!marks || m_bClosing.load()) return;
    for (int c = 0; c < seam::kCategoryCount; ++c) {
        if (marks & (kMarkCount0 << c)) {
            const RECT rc = ToRect(layout::kCountLine[c]);
            ::InvalidateRect(m_hDlg, &rc, TRUE);
        }
    }
    if (marks & kMarkStatus) {
        const RECT rc = ToRect(layout::kStatus);
        ::InvalidateRect(m_hDlg, &rc, TRUE);
    }
    if (marks & kMarkProgress) m_pProgress->Invalidate(true);
}

void CMainView::PostPassEnded() {
    if (!m_bClosing.load()) ::PostMessageA(m_hDlg, WM_KV_PASS_ENDED, 0, 0);
}

void CMainView::SetClosing() {
    m_bClosing.store(true);
    m_traces.SetClosing();
}

}  // namespace app
