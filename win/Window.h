// Non-owning window wrapper: a window handle and the calls the program makes
// on it. It never destroys the window (the window's lifetime belongs to
// Windows and its parent); owning handle classes are in win/Handles.h.
#pragma once

#include <windows.h>

namespace win {

class CWindow {
public:
    CWindow() = default;
    explicit CWindow(HWND hWnd) : m_hWnd(hWnd) {}

    HWND Hwnd() const { return m_hWnd; }
    void Attach(HWND hWnd) { m_hWnd = hWnd; }

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const {
        return ::SendMessageA(m_hWnd, msg, wParam, lParam);
    }
    void Invalidate(bool bErase = true) const { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void InvalidateRect(const RECT& rc, bool bErase = true) const { ::InvalidateRect(m_hWnd, &rc, bErase); }
    void Move(int x, int y, int w, int h, bool bRepaint = true) const {
        ::MoveWindow(m_hWnd, x, y, w, h, bRepaint);
    }
    RECT ClientRect() const {
        RECT rc{};
        ::GetClientRect(m_hWnd, &rc);
        return rc;
    }

protected:
    HWND m_hWnd = nullptr;  // not owned
};

}  // namespace win
