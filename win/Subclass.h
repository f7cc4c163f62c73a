// A control from a dialog template, subclassed into a C++ object: its
// messages go to the object's WindowProc first, and what the object does not
// handle goes on to the control's own window procedure.
//
// The object does not own the window (the dialog destroys its controls); it
// lets go of it when the window is destroyed, or in its own destructor.
#pragma once

#include <windows.h>

#include "win/Window.h"

namespace win {

class CSubclassWindow : public CWindow {
public:
    CSubclassWindow() = default;
    virtual ~CSubclassWindow();
    CSubclassWindow(const CSubclassWindow&) = delete;
    CSubclassWindow& operator=(const CSubclassWindow&) = delete;

    // Takes over control `id` of `hParent`. False when there is no such control.
    bool SubclassDlgItem(HWND hParent, int id);
    void Unsubclass();

    // The object attached to `hWnd` by SubclassDlgItem, or null.
    static CSubclassWindow* FromHandle(HWND hWnd);

    // WM_DRAWITEM, reflected here by the parent dialog. True when drawn.
    virtual bool DrawItem(const DRAWITEMSTRUCT&) { return false; }

protected:
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // The control's own handling of the message.
    LRESULT Default(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnSuper = nullptr;
};

}  // namespace win
