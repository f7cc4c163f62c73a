#include "win/App.h"

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

}  // namespace win

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    win::CWinApp* app = win::CWinApp::Current();
    if (!app) return 1;
    app->InitInstance();
    return app->ExitCode();
}
