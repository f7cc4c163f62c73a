#include "win/Subclass.h"

namespace win {

namespace {
const char kThisProp[] = "win.CSubclassWindow";
}

CSubclassWindow::~CSubclassWindow() { Unsubclass(); }

bool CSubclassWindow::SubclassDlgItem(HWND hParent, int id) {
    Unsubclass();
    HWND hWnd = ::GetDlgItem(hParent, id);
    if (!hWnd) return false;
    m_hWnd = hWnd;
    ::SetPropA(hWnd, kThisProp, this);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc)));
    return true;
}

void CSubclassWindow::Unsubclass() {
    if (!m_hWnd) return;
    if (m_pfnSuper) ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    ::RemovePropA(m_hWnd, kThisProp);
    m_pfnSuper = nullptr;
    m_hWnd = nullptr;
}

CSubclassWindow* CSubclassWindow::FromHandle(HWND hWnd) {
    return static_cast<CSubclassWindow*>(::GetPropA(hWnd, kThisProp));
}

LRESULT CSubclassWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    return Default(msg, wParam, lParam);
}

LRESULT CSubclassWindow::Default(UINT msg, WPARAM wParam, LPARAM lParam) {
    return ::CallWindowProcA(m_pfnSuper, m_hWnd, msg, wParam, lParam);
}

LRESULT CALLBACK CSubclassWindow::SubclassProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CSubclassWindow* self = FromHandle(hWnd);
    if (!self) return ::DefWindowProcA(hWnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        // The window is going: hand it back to its own procedure for the last message.
        WNDPROC super = self->m_pfnSuper;
        self->Unsubclass();
        return ::CallWindowProcA(super, hWnd, msg, wParam, lParam);
    }
    // No exception may cross into Windows: a failing handler leaves the
    // message to the control.
    try {
        return self->WindowProc(msg, wParam, lParam);
    } catch (...) {
        ::OutputDebugStringA("a control's message handler failed\n");
        return self->Default(msg, wParam, lParam);
    }
}

}  // namespace win
