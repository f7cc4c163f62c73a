#include "ui/DetailsDialog.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "layout/Layout.h"
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
// Each text is shown as a buffer of this many bytes holds it: longer ones show cut.
constexpr size_t kTextBytes = 260;

}  // namespace

const win::MessageEntry<CDetailsDialog> CDetailsDialog::kMessages[] = {
    {WM_NOTIFY, &CDetailsDialog::OnNotify},
};

CDetailsDialog::CDetailsDialog(const engine::CTraceList& traces, engine::CTraceChoice& choice)
    : CSkinDialog(IDD_DETAILS, IDB_DETAILS_BG, layout::kWindowWidth, layout::kWindowHeight, layout::kCloseHot),
      m_traces(traces),
      m_choice(choice) {}

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
    // The list keeps no focused row of its own, and asks for each check box.
    m_list.SetCallbackMask(LVIS_FOCUSED | LVIS_STATEIMAGEMASK);
    for (int c = 0; c < seam::kColumnCount; ++c)
        m_list.InsertColumn(c, kColumns[c].name, kColumns[c].format, kColumns[c].width);
    m_list.SetVirtualCount(m_choice.Count());
    m_strCount = std::to_string(m_choice.Count());
    return TRUE;
}

std::optional<LRESULT> CDetailsDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (std::optional<LRESULT> result = win::DispatchMessageMap(*this, kMessages, msg, wParam, lParam)) return result;
    return CSkinDialog::OnMessage(msg, wParam, lParam);
}

// The list asks for a row's texts and its check box, and for the row the
// user's typing names.
std::optional<LRESULT> CDetailsDialog::OnNotify(WPARAM, LPARAM lParam) {
    if (reinterpret_cast<const NMHDR*>(lParam)->idFrom != IDC_TRACE_LIST) return std::nullopt;
    LRESULT found = -1;
    if (win::AnswerFindRequest(lParam, found, [this](const std::string& prefix, int start) {
            return FindRow(prefix, start);
        }))
        return found;
    const bool bAnswered = win::AnswerTextRequest(lParam, [this](int row, int column, char* buffer, size_t capacity) {
        return m_traces.CopyText(row, column, buffer, std::min(capacity, kTextBytes));
    });
    if (!bAnswered) return std::nullopt;
    win::AnswerCheckRequest(lParam, [this](int row) { return m_choice.IsTicked(row); });
    return 0;
}

int CDetailsDialog::FindRow(const std::string& prefix, int start) const {
    const int count = m_choice.Count();
    const int length = static_cast<int>(prefix.size());
    char name[kTextBytes];
    for (int k = 0; k < count; ++k) {
        const int row = (std::max(start, 0) + k) % count;
        if (static_cast<int>(m_traces.CopyText(row, seam::kColName, name, sizeof name)) < length) continue;
        // Case aside, and a double-byte character compared whole.
        if (::CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, name, length, prefix.data(), length) == CSTR_EQUAL)
            return row;
    }
    return -1;
}

bool CDetailsDialog::PreTranslateMessage(const MSG& msg) {
    if (msg.hwnd == m_list.Hwnd()) {
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_SPACE) {
            const int first = m_list.NextSelected(-1);
            if (first >= 0) {
                // The first selected row decides, as one click on its box would.
                const bool bTicked = !m_choice.IsTicked(first);
                for (int i = first; i >= 0; i = m_list.NextSelected(i)) m_choice.SetTicked(i, bTicked);
                ShowTicks();
            }
            return true;
        }
        // Each press on a box counts, the second of a double-click too.
        if (msg.message == WM_LBUTTONDOWN || msg.message == WM_LBUTTONDBLCLK) {
            UINT flags = 0;
            const int row = m_list.HitTest(GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam), flags);
            if (row >= 0 && (flags & LVHT_ONITEMSTATEICON)) {
                m_choice.SetTicked(row, !m_choice.IsTicked(row));
                ShowTicks();
                return true;
            }
        }
    }
    return CSkinDialog::PreTranslateMessage(msg);
}

// Linked rows may be anywhere in the list: the list repaints the rows it shows.
void CDetailsDialog::ShowTicks() {
    m_list.Invalidate(false);
    const layout::Rect& r = layout::details::kTickedText;
    InvalidateRect(RECT{r.left, r.top, r.right, r.bottom}, true);
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
    DrawSkinText(dc, TickedCountText(m_choice.TickedCount()), layout::details::kTickedText);
}

}  // namespace ui
