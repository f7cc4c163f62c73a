// The application object: one global instance of a class derived from
// CWinApp, whose InitInstance WinMain runs.
//
// InitInstance returns false when the program's work is done (a dialog-based
// program runs its dialog there); true enters a message loop until WM_QUIT.
#pragma once

#include <windows.h>

namespace win {

class CWindow;

// The module that holds the program's resources (bitmaps, dialogs, menus).
HINSTANCE ResourceInstance();

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    static CWinApp* Current();

    virtual bool InitInstance() = 0;

    // Commands no window took. True when handled.
    virtual bool OnCommand(UINT nId);

    // Called by WinMain.
    int Run(HINSTANCE hInstance, int nCmdShow);

    CWindow* m_pMainWnd = nullptr;  // not owned

protected:
    // The help command (ID_HELP). The program ships no help file and the
    // WinHelp engine does not exist on current Windows, so the default does
    // nothing rather than start a viewer that would only report an error.
    virtual void OnHelp() {}

    int m_nCmdShow = SW_SHOWNORMAL;
};

}  // namespace win
