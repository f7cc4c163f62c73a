#include "ui/DetailsDialog.h"

#include <commctrl.h>

#include <cstdio>

#include "layout/Layout.h"
#include "seam/View.h"
#include "ui/resource.h"
#include "win/Gdi.h"
#include "ui/SkinText.h"

namespace ui {

namespace {

// Only the name and its description are shown; the other columns travel
// along, zero wide, so a row is the whole trace.
struct Column {
    const char* name;
    int format;
    int width;
};
constexpr Column kColumns[kv::kColumnCount] = {
    {"NAME", LVCFMT_LEFT, 332}, {"READ", LVCFMT_CENTER, 134}, {"CODE", LVCFMT_LEFT, 0},
    {"REGKEY", LVCFMT_LEFT, 0}, {"VALUe", LVCFMT_LEFT, 0},    {"DATA", LVCFMT_LEFT, 0},
};
// Each text is read through a buffer of this many bytes: longer ones show cut.
constexpr int kTextBytes = 260;

}  // namespace

CDetailsDialog::CDetailsDialog(const win::CListView& source)
    : CSkinDialog(IDD_DETAILS, IDB_DETAILS_BG, layout::kWindowWidth, layout::kWindowHeight, layout::kCloseHot),
      m_source(source) {}

BOOL CDetailsDialog::OnInitDialog() {
    CSkinDialog::OnInitDialog();
    m_list.Attach(GetDlgItem(IDC_TRACE_LIST));
    AttachControl(m_btnClean, IDC_DETAILS_CLEAN);
    AttachControl(m_btnClose, IDC_CLOSE);
    m_btnClean.LoadBitmaps(IDB_BTN_CLEAN, IDB_BTN_CLEAN, IDB_BTN_CLEAN);
    m_btnClose.LoadBitmaps(IDB_BTN_CLOSE, IDB_BTN_CLOSE, IDB_BTN_CLOSE);
    m_btnClean.Place(layout::kAction);
    m_btnClose.Place(layout::kExit);
    const layout::Rect& list = layout::details::kList;
    m_list.Move(list.left, list.top, list.Width(), list.Height(), true);

    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    // The list keeps no focused row of its own.
    m_list.SetCallbackMask(LVIS_FOCUSED);
    for (int c = 0; c < kv::kColumnCount; ++c)
        m_list.InsertColumn(c, kColumns[c].name, kColumns[c].format, kColumns[c].width);

    CopyRows();
    char text[16];
    std::snprintf(text, sizeof text, "%d", m_list.GetItemCount());
    m_strCount = text;
    return TRUE;
}

// Tens of thousands of rows: with redraw off the list neither repaints nor
// lays itself out per row, and the room for every row is made at once.
void CDetailsDialog::CopyRows() {
    m_list.SetRedraw(false);
    const int nRows = m_source.GetItemCount();
    m_list.ReserveItems(nRows);
    for (int i = 0; i < m_source.GetItemCount(); ++i) {
        const int row = m_list.InsertItem(i, m_source.GetItemText(i, 0, kTextBytes));
        if (row < 0) break;
        for (int c = 1; c < kv::kColumnCount; ++c) m_list.SetItemText(row, c, m_source.GetItemText(i, c, kTextBytes));
    }
    m_list.SetRedraw(true);
    m_list.Invalidate(true);
}

bool CDetailsDialog::OnCommand(UINT nId) {
    switch (nId) {
    case IDC_CLOSE:
        OnCancel();
        return true;
    case IDC_DETAILS_CLEAN:
        m_bCleanRequested = true;
        OnCancel();
        return true;
    default:
        return false;
    }
}

void CDetailsDialog::DrawTexts(HDC dc) {
    win::UniqueFont font = CreateSkinFont(500);
    win::SelectScope select(dc, font.Get());
    ::SetTextColor(dc, RGB(102, 102, 102));
    DrawSkinText(dc, m_strCount, layout::details::kCountText);
}

}  // namespace ui
