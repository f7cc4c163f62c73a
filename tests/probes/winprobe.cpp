// Tells the GUI tests what Windows itself knows about the top-level windows
// of one title, which X11 cannot (there is no window manager under Xvfb).
//
//   winprobe.exe TITLE
// prints one line:
//   found=1 iconic=0 visible=1 rect=L,T,R,B foreground=1 count=1 visible_count=1
// found/iconic/visible/rect describe the window FindWindowA finds; count and
// visible_count are over every top-level window with exactly that title.
// Exit code 0 when a window was found, 1 when none, 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

struct Tally {
    const char* title;
    int count;
    int visible;
};

BOOL CALLBACK CountWindow(HWND hWnd, LPARAM param) {
    auto* tally = reinterpret_cast<Tally*>(param);
    char text[256] = {};
    ::GetWindowTextA(hWnd, text, sizeof text);
    if (std::strcmp(text, tally->title) == 0) {
        ++tally->count;
        if (::IsWindowVisible(hWnd)) ++tally->visible;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: winprobe TITLE\n");
        return 2;
    }
    Tally tally{argv[1], 0, 0};
    ::EnumWindows(&CountWindow, reinterpret_cast<LPARAM>(&tally));

    HWND hWnd = ::FindWindowA(nullptr, argv[1]);
    RECT rc{};
    if (hWnd) ::GetWindowRect(hWnd, &rc);
    std::printf("found=%d iconic=%d visible=%d rect=%ld,%ld,%ld,%ld foreground=%d count=%d visible_count=%d\n",
                hWnd ? 1 : 0, hWnd && ::IsIconic(hWnd) ? 1 : 0, hWnd && ::IsWindowVisible(hWnd) ? 1 : 0,
                static_cast<long>(rc.left), static_cast<long>(rc.top), static_cast<long>(rc.right),
                static_cast<long>(rc.bottom), hWnd && ::GetForegroundWindow() == hWnd ? 1 : 0, tally.count,
                tally.visible);
    std::fflush(stdout);
    return hWnd ? 0 : 1;
}
