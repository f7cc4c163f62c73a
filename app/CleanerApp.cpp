// The application object: runs the main dialog; the process ends when it closes.
#include <windows.h>
#include <commctrl.h>

#include "app/main/MainDialog.h"
#include "app/UnattendedRun.h"
#include "win/App.h"

namespace app {

class CCleanerApp : public win::CWinApp {
public:
    void InitInstance() override;
};

CCleanerApp theApp;

void CCleanerApp::InitInstance() {
    // With arguments the program runs unattended and shows nothing at all.
    int exitCode = 0;
    if (RunFromCommandLine(exitCode)) {
        SetExitCode(exitCode);
        return;
    }

    // The dialog templates hold a list view: its class must be registered
    // before the first of them is created.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    ::InitCommonControlsEx(&controls);

    CMainDialog dialog;
    dialog.DoModal();
    if (dialog.PassRunning() || dialog.VersionCheckRunning()) {
        // A pass or the version check is still running on the dialog's
        // state. Nothing of ours needs flushing, so the process ends here,
        // without unloading DLLs: the worker may hold a WinINet or registry
        // lock that a DLL's detach would wait for forever.
        ::TerminateProcess(::GetCurrentProcess(), 0);
    }
}

}  // namespace app
