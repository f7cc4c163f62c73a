// The application object: one global instance of a class derived from
// CWinApp, whose InitInstance WinMain runs. The program's work is done when
// InitInstance returns (a dialog-based program runs its dialog there); the
// process then ends with exit code 0.
#pragma once

#include <windows.h>

namespace win {

// The module that holds the program's resources (bitmaps, dialogs, menus).
HINSTANCE ResourceInstance();

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    static CWinApp* Current();

    virtual void InitInstance() = 0;
};

}  // namespace win
