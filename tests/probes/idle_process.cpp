// A process that does nothing until it is ended: the stand-in for a running
// program or a grid-delivery agent. Tests copy it under the executable name
// they need. It ends by itself after --seconds N (default ten minutes) so a
// test that forgets it leaves nothing behind for long. With --window it
// shows a top-level window and ends when that window is closed, as a
// program a user closes does.
#include <windows.h>

#include <cstdlib>
#include <cstring>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) ::PostQuitMessage(0);
    return ::DefWindowProcA(window, message, wParam, lParam);
}

int RunWindow(DWORD seconds) {
    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "KestravinIdleWindow";
    if (!::RegisterClassA(&wc)) return 2;
    HWND window = ::CreateWindowA(wc.lpszClassName, "idle", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    if (!window) return 3;
    ::SetTimer(window, 1, seconds * 1000, nullptr);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER) ::DestroyWindow(window);
        ::DispatchMessageA(&msg);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    DWORD seconds = 600;
    bool bWindow = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--window") == 0) bWindow = true;
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) seconds = std::strtoul(argv[i + 1], nullptr, 10);
    }
    if (bWindow) return RunWindow(seconds);
    ::Sleep(seconds * 1000);
    return 0;
}
