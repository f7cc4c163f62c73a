#include "win/Dialog.h"

#include "win/App.h"
#include "win/Subclass.h"

namespace win {

CDialog::CDialog(UINT nTemplateId, HWND hParent) : m_nTemplateId(nTemplateId), m_hParent(hParent) {}

INT_PTR CDialog::DoModal() {
    return ::DialogBoxParamA(ResourceInstance(), MAKEINTRESOURCEA(m_nTemplateId), m_hParent, &DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

void CDialog::EndDialog(INT_PTR nResult) { ::EndDialog(m_hWnd, nResult); }

bool CDialog::AttachControl(CSubclassWindow& control, int id) { return control.SubclassDlgItem(m_hWnd, id); }

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CDialog* self = nullptr;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        self->m_hWnd = hWnd;
    } else {
        self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    }
    if (!self) return FALSE;  // messages before WM_INITDIALOG (WM_SETFONT) and after the end

    INT_PTR handled = FALSE;
    try {
        handled = self->Dispatch(msg, wParam, lParam);
    } catch (...) {
        ::OutputDebugStringA("Kestravin: a dialog's message handler failed\n");
        handled = FALSE;
    }
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        self->m_hWnd = nullptr;
    }
    return handled;
}

INT_PTR CDialog::Dispatch(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (CSubclassWindow* control = item ? CSubclassWindow::FromHandle(item->hwndItem) : nullptr)
            if (control->DrawItem(*item)) return SetMsgResult(m_hWnd, msg, TRUE);
        return FALSE;
    }
    case WM_COMMAND:
        RouteCommand(wParam, lParam);
        return TRUE;
    default:
        break;
    }
    if (std::optional<LRESULT> result = OnMessage(msg, wParam, lParam)) return SetMsgResult(m_hWnd, msg, *result);
    return FALSE;
}

void CDialog::RouteCommand(WPARAM wParam, LPARAM) {
    const UINT nId = LOWORD(wParam);
    const UINT nCode = HIWORD(wParam);
    // Controls report many notifications; only a click (0) or an accelerator (1) is a command.
    if (nCode > 1) {
        OnControlNotify(nId, nCode);
        return;
    }
    if (OnCommand(nId)) return;
    if (CWinApp* app = CWinApp::Current(); app && app->OnCommand(nId)) return;
    if (nId == IDOK) OnOK();
    else if (nId == IDCANCEL) OnCancel();
}

INT_PTR CDialog::SetMsgResult(HWND hWnd, UINT msg, LRESULT result) {
    switch (msg) {
    // These give their result as the dialog procedure's return value.
    case WM_CHARTOITEM:
    case WM_COMPAREITEM:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
    case WM_QUERYDRAGICON:
    case WM_VKEYTOITEM:
        return static_cast<INT_PTR>(result);
    default:
        ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
}

}  // namespace win
