// Non-owning wrapper of a report-style list view, ANSI texts.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win/Window.h"

namespace win {

class CListView : public CWindow {
public:
    int InsertColumn(int index, const char* text, int format, int width) const {
        LVCOLUMNA col{};
        col.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.fmt = format;
        col.cx = width;
        col.pszText = const_cast<char*>(text);
        col.iSubItem = index;
        return static_cast<int>(Send(LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col)));
    }

    // The new item's index, -1 on failure.
    int InsertItem(int index, const std::string& text) const {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = index;
        item.pszText = const_cast<char*>(text.c_str());
        return static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
    }

    bool SetItemText(int index, int column, const std::string& text) const {
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = const_cast<char*>(text.c_str());
        return Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) != 0;
    }

    // The whole text, however long: the buffer grows until the text fits.
    std::string GetItemText(int index, int column) const {
        std::vector<char> buffer(260);
        for (;;) {
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = buffer.data();
            item.cchTextMax = static_cast<int>(buffer.size());
            const auto length = static_cast<size_t>(
                Send(LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
            if (length + 1 < buffer.size()) return std::string(buffer.data(), length);
            buffer.resize(buffer.size() * 2);
        }
    }

    // The text as a fixed buffer of `capacity` bytes receives it: a longer
    // text is cut to capacity - 1 bytes.
    std::string GetItemText(int index, int column, int capacity) const {
        std::vector<char> buffer(static_cast<size_t>(capacity > 0 ? capacity : 1), '\0');
        LVITEMA item{};
        item.iSubItem = column;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(buffer.size());
        const auto length = static_cast<size_t>(
            Send(LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
        return std::string(buffer.data(), std::min(length, buffer.size() - 1));
    }

    void SetExtendedStyle(DWORD style) const { Send(LVM_SETEXTENDEDLISTVIEWSTYLE, style, style); }
    // States the list asks its parent for instead of keeping them (LVIS_FOCUSED...).
    void SetCallbackMask(UINT mask) const { Send(LVM_SETCALLBACKMASK, mask); }
    // Makes room for `count` rows at once rather than growing row by row.
    void ReserveItems(int count) const { Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), 0); }

    // Check boxes (LVS_EX_CHECKBOXES). Index -1 sets every row.
    void SetCheck(int index, bool bChecked) const {
        LVITEMA item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(bChecked ? 2 : 1);
        Send(LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
    // The next selected row after `after` (-1: the first), -1 when there is none.
    int NextSelected(int after) const {
        return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(after), MAKELPARAM(LVNI_SELECTED, 0)));
    }

    // LVS_OWNERDATA: the list now has `count` rows, whose texts it asks for
    // when it needs them; nothing is scrolled or repainted for it.
    void SetVirtualCount(int count) const {
        Send(LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
    }

    bool DeleteItem(int index) const { return Send(LVM_DELETEITEM, static_cast<WPARAM>(index)) != 0; }
    int GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
    void SetRedraw(bool bRedraw) const { Send(WM_SETREDRAW, bRedraw ? TRUE : FALSE); }

    // The row at client point (x, y), -1 when none; `flags` gets where on
    // the row the point lies (LVHT_ONITEMSTATEICON: on its check box).
    int HitTest(int x, int y, UINT& flags) const {
        LVHITTESTINFO hit{};
        hit.pt = POINT{x, y};
        const auto row = static_cast<int>(Send(LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        flags = hit.flags;
        return row;
    }
};

// LVS_OWNERDATA: the list asks its parent for what it shows of a row
// (LVN_GETDISPINFOA, or LVN_GETDISPINFOW); the next two answer the request
// in the WM_NOTIFY message `lParam`, each only the part it asked for. Both
// return false when `lParam` holds no such request.

// The text of the row's column: `copy(row, column, buffer, capacity)` writes
// it as ANSI text, cut to `capacity` bytes with its terminator, and returns
// its length; a wide request gets it converted.
template <typename Copy>
bool AnswerTextRequest(LPARAM lParam, Copy&& copy) {
    const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
    if (code == LVN_GETDISPINFOA) {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(lParam)->item;
        if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
            copy(item.iItem, item.iSubItem, item.pszText, static_cast<size_t>(item.cchTextMax));
        return true;
    }
    if (code != LVN_GETDISPINFOW) return false;
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        // A character of a double-byte code page is at most two bytes and
        // one UTF-16 unit; converted whole, then cut to the caller's room.
        std::string text(static_cast<size_t>(item.cchTextMax) * 2, '\0');
        const size_t length = copy(item.iItem, item.iSubItem, &text[0], text.size());
        std::wstring wide(length + 1, L'\0');
        const int units = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(length), &wide[0],
                                                static_cast<int>(wide.size()));
        const size_t shown =
            std::min(static_cast<size_t>(units > 0 ? units : 0), static_cast<size_t>(item.cchTextMax - 1));
        std::copy_n(wide.data(), shown, item.pszText);
        item.pszText[shown] = L'\0';
    }
    return true;
}

// The row's check box, for a list with LVS_EX_CHECKBOXES whose callback mask
// holds LVIS_STATEIMAGEMASK: `checked(row)` says whether it is ticked.
template <typename Checked>
bool AnswerCheckRequest(LPARAM lParam, Checked&& checked) {
    auto answer = [&](auto& item) {
        if (!(item.mask & LVIF_STATE) || !(item.stateMask & LVIS_STATEIMAGEMASK)) return;
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(checked(item.iItem) ? 2 : 1);
    };
    const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
    if (code == LVN_GETDISPINFOA) {
        answer(reinterpret_cast<NMLVDISPINFOA*>(lParam)->item);
    } else if (code == LVN_GETDISPINFOW) {
        answer(reinterpret_cast<NMLVDISPINFOW*>(lParam)->item);
    } else {
        return false;
    }
    return true;
}

// LVS_OWNERDATA: the list looks for a row by its first letters as the user
// types them (LVN_ODFINDITEMA, or LVN_ODFINDITEMW). `find(prefix, start)`
// gets them as ANSI text and the row to look from, and returns the first row
// from there on, wrapping round, whose text begins so, or -1. False when
// `lParam` holds no such request; `result` is what the list is to be told.
template <typename Find>
bool AnswerFindRequest(LPARAM lParam, LRESULT& result, Find&& find) {
    auto answer = [&](const auto& request, const std::string& prefix) {
        const bool bText = (request.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) && !prefix.empty();
        result = bText ? find(prefix, request.iStart) : -1;
    };
    const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
    if (code == LVN_ODFINDITEMA) {
        const NMLVFINDITEMA& request = *reinterpret_cast<const NMLVFINDITEMA*>(lParam);
        answer(request, request.lvfi.psz ? request.lvfi.psz : "");
    } else if (code == LVN_ODFINDITEMW) {
        const NMLVFINDITEMW& request = *reinterpret_cast<const NMLVFINDITEMW*>(lParam);
        const wchar_t* typed = request.lvfi.psz ? request.lvfi.psz : L"";
        std::string prefix(static_cast<size_t>(::WideCharToMultiByte(CP_ACP, 0, typed, -1, nullptr, 0, nullptr,
                                                                        nullptr)), '\0');
        ::WideCharToMultiByte(CP_ACP, 0, typed, -1, &prefix[0], static_cast<int>(prefix.size()), nullptr, nullptr);
        prefix.resize(prefix.empty() ? 0 : prefix.size() - 1);
        answer(request, prefix);
    } else {
        return false;
    }
    return true;
}

}  // namespace win
