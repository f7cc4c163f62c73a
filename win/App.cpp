#include "win/App.h"

#include "ui/resource.h"

namespace win {

namespace {
CWinApp* g_pApp = nullptr;
}

HINSTANCE ResourceInstance() { return ::GetModuleHandleA(nullptr); }

CWinApp::CWinApp() { g_pApp = this; }

CWinApp::~CWinApp() {
    if (g_pApp == this) g_pApp = nullptr;
}

CWinApp* CWinApp::Current() { return g_pApp; }

bool CWinApp::OnCommand(UINT nId) {
    if (nId == ID_APP_HELP) {
        OnHelp();
        return true;
    }
    return false;
}

int CWinApp::Run(HINSTANCE, int nCmdShow) {
    m_nCmdShow = nCmdShow;
    if (!InitInstance()) return 0;
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace win

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nCmdShow) {
    win::CWinApp* app = win::CWinApp::Current();
    return app ? app->Run(hInstance, nCmdShow) : 1;
}
