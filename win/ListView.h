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
};

}  // namespace win
