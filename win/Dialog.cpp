#include "win/Dialog.h"

#include "win/App.h"
#include "win/Subclass.h"

namespace win {

namespace {

// The modal dialogs running on this thread, innermost last (through
// m_pOuter), and the filter hook they share while any runs.
thread_local CDialog* t_pInnermost = nullptr;
thread_local HHOOK t_hFilter = nullptr;

}  // namespace

CDialog::CDialog(UINT nTemplateId, HWND hParent) : m_nTemplateId(nTemplateId), m_hParent(hParent) {}

INT_PTR CDialog::DoModal() {
    const bool bOwnsHook = t_hFilter == nullptr;
    if (bOwnsHook) t_hFilter = ::SetWindowsHookExA(WH_MSGFILTER, &MessageFilterProc, nullptr, ::GetCurrentThreadId());
    m_pOuter = t_pInnermost;
    t_pInnermost = this;
    const INT_PTR result = ::DialogBoxParamA(ResourceInstance(), MAKEINTRESOURCEA(m_nTemplateId), m_hParent,
                                             &DialogProc, reinterpret_cast<LPARAM>(this));
    t_pInnermost = m_pOuter;
    m_pOuter = nullptr;
    if (bOwnsHook && t_hFilter) {
        ::UnhookWindowsHookEx(t_hFilter);
        t_hFilter = nullptr;
    }
    return result;
}

// Only the innermost dialog takes input while it runs; a message box it opens
// is not one of ours and passes through.
LRESULT CALLBACK CDialog::MessageFilterProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == MSGF_DIALOGBOX && lParam) {
        const MSG& msg = *reinterpret_cast<const MSG*>(lParam);
        CDialog* dialog = t_pInnermost;
        if (dialog && dialog->m_hWnd && (msg.hwnd == dialog->m_hWnd || ::IsChild(dialog->m_hWnd, msg.hwnd))) {
            bool bSwallow = false;
            try {
                bSwallow = dialog->PreTranslateMessage(msg);
            } catch (...) {
                bSwallow = false;
            }
            if (bSwallow) return TRUE;
        }
    }
    return ::CallNextHookEx(t_hFilter, nCode, wParam, lParam);
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
        ::OutputDebugStringA("a dialog's message handler failed\n");
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
