// The application object: one global instance of a class derived from
// CWinApp, whose InitInstance WinMain runs. The program's work is done when
// InitInstance returns (a dialog-based program runs its dialog there); the
// process then ends with the exit code InitInstance set (0 unless it set one).
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
    int ExitCode() const { return m_nExitCode; }

protected:
    void SetExitCode(int code) { m_nExitCode = code; }

private:
    int m_nExitCode = 0;
};

}  // namespace win
