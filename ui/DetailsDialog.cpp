#include "ui/DetailsDialog.h"

#include <commctrl.h>

#include <cstdio>
#include <utility>

#include "engine/kinds/TraceChoice.h"
#include "engine/core/ValueText.h"
#include "layout/Layout.h"
#include "seam/View.h"
#include "ui/DetailsTexts.h"
#include "ui/resource.h"
#include "ui/skin/SkinText.h"
#include "win/Gdi.h"

namespace ui {

namespace {

// Only the name and its description are shown; the other columns travel
// along, zero wide, so a row is the whole trace.
struct Column {
    const char* name;
    int format;
    int width;
};
constexpr Column kColumns[seam::kColumnCount] = {
    {"NAME", LVCFMT_LEFT, 332}, {"READ", LVCFMT_CENTER, 134}, {"CODE", LVCFMT_LEFT, 0},
    {"REGKEY", LVCFMT_LEFT, 0}, {"VALUe", LVCFMT_LEFT, 0},    {"DATA", LVCFMT_LEFT, 0},
};
// Each text is read through a buffer of this many bytes: longer ones show cut.
constexpr int kTextBytes = 260;

}  // namespace

const win::MessageEntry<CDetailsDialog> CDetailsDialog::kMessages[] = {
    {WM_NOTIFY, &CDetailsDialog::OnNotify},
};

CDetailsDialog::CDetailsDialog(std::vector<seam::TraceItem> rows)
    : CSkinDialog(IDD_DETAILS, IDB_DETAILS_BG, layout::kWindowWidth, layout::kWindowHeight, layout::kCloseHot),
      m_rows(std::move(rows)) {}

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

    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_CHECKBOXES);
    // The list keeps no focused row of its own.
    m_list.SetCallbackMask(LVIS_FOCUSED);
    for (int c = 0; c < seam::kColumnCount; ++c)
        m_list.InsertColumn(c, kColumns[c].name, kColumns[c].format, kColumns[c].width);

    CopyRows();
    char text[16];
    std::snprintf(text, sizeof text, "%d", m_list.GetItemCount());
    m_strCount = text;
    m_list.SetCheck(-1, true);
    m_ticked.assign(m_rows.size(), true);
    m_nTicked = static_cast<int>(m_rows.size());
    m_bReady = true;
    return TRUE;
}

std::optional<LRESULT> CDetailsDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (std::optional<LRESULT> result = win::DispatchMessageMap(*this, kMessages, msg, wParam, lParam)) return result;
    return CSkinDialog::OnMessage(msg, wParam, lParam);
}

// A check box changed, by the mouse, the space bar or SetTicked.
std::optional<LRESULT> CDetailsDialog::OnNotify(WPARAM, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!m_bReady || header->idFrom != IDC_TRACE_LIST || header->code != LVN_ITEMCHANGED) return std::nullopt;
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
    if (!(change->uChanged & LVIF_STATE) || !((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK))
        return std::nullopt;
    const int index = change->iItem;
    if (index < 0 || static_cast<size_t>(index) >= m_ticked.size()) return std::nullopt;
    const bool bTicked = (change->uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    if (m_ticked[static_cast<size_t>(index)] != bTicked) {
        m_ticked[static_cast<size_t>(index)] = bTicked;
        m_nTicked += bTicked ? 1 : -1;
        InvalidateTickedText();
    }
    if (!m_bLinking) SetTicked(index, bTicked);
    return 0;
}

void CDetailsDialog::SetTicked(int index, bool bTicked) {
    m_bLinking = true;
    const seam::TraceItem& row = m_rows[static_cast<size_t>(index)];
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_ticked[i] == bTicked) continue;
        if (static_cast<int>(i) == index || engine::RemovedTogether(row, m_rows[i]))
            m_list.SetCheck(static_cast<int>(i), bTicked);
    }
    m_bLinking = false;
}

bool CDetailsDialog::PreTranslateMessage(const MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_SPACE && msg.hwnd == m_list.Hwnd()) {
        const int first = m_list.NextSelected(-1);
        if (first >= 0) {
            // The first selected row decides, as one click on its box would.
            const bool bTicked = !m_ticked[static_cast<size_t>(first)];
            for (int i = first; i >= 0; i = m_list.NextSelected(i)) SetTicked(i, bTicked);
        }
        return true;
    }
    return CSkinDialog::PreTranslateMessage(msg);
}

void CDetailsDialog::InvalidateTickedText() {
    const layout::Rect& r = layout::details::kTickedText;
    InvalidateRect(RECT{r.left, r.top, r.right, r.bottom}, true);
}

// Tens of thousands of rows: with redraw off the list neither repaints nor
// lays itself out per row, and the room for every row is made at once.
void CDetailsDialog::CopyRows() {
    m_list.SetRedraw(false);
    m_list.ReserveItems(static_cast<int>(m_rows.size()));
    for (size_t i = 0; i < m_rows.size(); ++i) {
        const seam::TraceItem& item = m_rows[i];
        const int row = m_list.InsertItem(static_cast<int>(i), engine::ShownText(item, 0).substr(0, kTextBytes - 1));
        if (row < 0) {
            // Only the rows the list could take can be chosen.
            m_rows.resize(i);
            break;
        }
        for (int c = 1; c < seam::kColumnCount; ++c) {
            m_list.SetItemText(row, c, engine::ShownText(item, c).substr(0, kTextBytes - 1));
        }
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
        for (size_t i = 0; i < m_rows.size(); ++i)
            if (!m_ticked[i]) m_leftOut.push_back(m_rows[i]);
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
    DrawSkinText(dc, TickedCountText(m_nTicked), layout::details::kTickedText);
}

}  // namespace ui
