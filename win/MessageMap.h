// Per-class message maps: a static table binds a message, or a range of
// command ids, to a member handler of the class that owns the table.
//
//   const win::MessageEntry<CMyDialog> CMyDialog::kMessages[] = {
//       {WM_ERASEBKGND, &CMyDialog::OnEraseBkgnd},
//   };
//   const win::CommandEntry<CMyDialog> CMyDialog::kCommands[] = {
//       {IDC_FIRST, IDC_LAST, &CMyDialog::OnRange},
//   };
//
// A message handler returns the message's result, or std::nullopt to leave
// the message to the default handling. The first matching entry wins.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>

namespace win {

template <typename T>
struct MessageEntry {
    UINT nMessage;
    std::optional<LRESULT> (T::*pfn)(WPARAM wParam, LPARAM lParam);
};

template <typename T>
struct CommandEntry {
    UINT nFirst;
    UINT nLast;
    void (T::*pfn)(UINT nId);
};

template <typename T, std::size_t N>
std::optional<LRESULT> DispatchMessageMap(T& self, const MessageEntry<T> (&map)[N], UINT msg,
                                          WPARAM wParam, LPARAM lParam) {
    for (const MessageEntry<T>& entry : map)
        if (entry.nMessage == msg) return (self.*entry.pfn)(wParam, lParam);
    return std::nullopt;
}

// True when an entry took the command.
template <typename T, std::size_t N>
bool DispatchCommandMap(T& self, const CommandEntry<T> (&map)[N], UINT nId) {
    for (const CommandEntry<T>& entry : map) {
        if (nId >= entry.nFirst && nId <= entry.nLast) {
            (self.*entry.pfn)(nId);
            return true;
        }
    }
    return false;
}

}  // namespace win
