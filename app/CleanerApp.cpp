// The application object: runs the main dialog and ends the process.
#include <windows.h>
#include <commctrl.h>

#include "app/MainDialog.h"
#include "win/App.h"

namespace app {

class CCleanerApp : public win::CWinApp {
public:
    bool InitInstance() override;
};

CCleanerApp theApp;

bool CCleanerApp::InitInstance() {
    // Dialog templates host only standard and common controls, so the
    // control-container and 3-D switches of a class library have no
    // counterpart here beyond registering the list view class.
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES;
    ::InitCommonControlsEx(&controls);

    {
        CMainDialog dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
        if (dialog.PassRunning()) {
            // A pass is still running on the dialog's state. Nothing of ours
            // needs flushing, so the process ends here, without unloading
            // DLLs: the worker may hold a WinINet or registry lock that a
            // DLL's detach would wait for forever.
            ::TerminateProcess(::GetCurrentProcess(), 0);
        }
    }
    return false;
}

}  // namespace app
