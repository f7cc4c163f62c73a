// A modal dialog from a dialog template.
//
// One static dialog procedure stores the object at WM_INITDIALOG (from
// DialogBoxParamA's parameter) and hands every later message to it:
//   - WM_DRAWITEM is reflected to the control object that draws the item;
//   - WM_COMMAND goes to OnCommand, then IDOK / IDCANCEL end the dialog;
//   - everything else goes to OnMessage, normally a message map (win/MessageMap.h).
// While a dialog runs modally, its PreTranslateMessage sees each input
// message for it or its controls before the dialog manager does (through a
// WH_MSGFILTER hook on MSGF_DIALOGBOX, the filter point Windows' own modal
// loop offers), so a dialog can keep keys such as Escape from closing it.
// No exception crosses into Windows: one caught at the boundary leaves the
// message to the default handling.
#pragma once

#include <windows.h>

#include <optional>

#include "win/Window.h"

namespace win {

class CSubclassWindow;

class CDialog : public CWindow {
public:
    CDialog(UINT nTemplateId, HWND hParent);
    virtual ~CDialog() = default;
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Runs the dialog; returns the code given to EndDialog, -1 when the
    // dialog could not be created.
    INT_PTR DoModal();
    void EndDialog(INT_PTR nResult);

protected:
    // WM_INITDIALOG: the return value decides whether Windows sets the focus.
    virtual BOOL OnInitDialog() { return TRUE; }
    // A message; std::nullopt leaves it to the default handling.
    virtual std::optional<LRESULT> OnMessage(UINT, WPARAM, LPARAM) { return std::nullopt; }
    // A command (menu item, accelerator or control notification code 0/1).
    // True when it was handled.
    virtual bool OnCommand(UINT) { return false; }
    // Any other control notification (WM_COMMAND with a code above 1).
    virtual void OnControlNotify(UINT /*nId*/, UINT /*nCode*/) {}
    // An input message for this dialog or one of its controls, before the
    // dialog manager's keyboard handling. True swallows it.
    virtual bool PreTranslateMessage(const MSG&) { return false; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    // Subclasses control `id` into `control`.
    bool AttachControl(CSubclassWindow& control, int id);

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK MessageFilterProc(int nCode, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
    void RouteCommand(WPARAM wParam, LPARAM lParam);
    // How a dialog procedure hands back a handled message's result.
    static INT_PTR SetMsgResult(HWND hWnd, UINT msg, LRESULT result);

    UINT m_nTemplateId;
    HWND m_hParent;  // not owned
    CDialog* m_pOuter = nullptr;  // the modal dialog this one runs inside, if any
};

}  // namespace win
