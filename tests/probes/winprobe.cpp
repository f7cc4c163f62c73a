// Tells the GUI tests what Windows itself knows about the top-level windows
// of one title, which X11 cannot (there is no window manager under Xvfb).
//
//   winprobe.exe TITLE
// prints one line:
//   found=1 iconic=0 visible=1 rect=L,T,R,B foreground=1 count=1 visible_count=1
// found/iconic/visible/rect describe the window FindWindowA finds; count and
// visible_count are over every top-level window with exactly that title.
// Exit code 0 when a window was found, 1 when none, 2 on bad arguments.
//
//   winprobe.exe --list
// prints one line per visible top-level window of the desktop, fields
// separated by tabs, texts in UTF-8:
//   HWND(hex) CLASS L,T,R,B TITLE TEXT
// where TEXT is the joined text of the window's Static children (a message
// box's message), empty when it has none.
//
//   winprobe.exe --click HWND ID
// posts the command of button ID (a click) to the top-level window HWND (hex),
// e.g. ID 1 (IDOK) to a message box. Exit code 0 when HWND is a window.
//
//   winprobe.exe --items HWND ID
// prints the number of rows of list view ID of the window HWND (hex).
//
//   winprobe.exe --ping HWND MS
// sends WM_NULL to the window HWND (hex) and waits at most MS milliseconds
// for its thread to answer; prints "answered=1 ms=N" or "answered=0 ms=N".
// Exit code 0 when it answered, 1 when it did not (or HWND is no window).
//
//   winprobe.exe --texts HWND ID COLUMN
// prints the text of COLUMN of every row of list view ID, one row a line, in UTF-8.
//
//   winprobe.exe --checks HWND ID
// prints, one row a line, 1 when the row's check box is ticked, 0 when not.
//
//   winprobe.exe --pass HWND BUTTON LIST ROWS MS
// posts the command of button BUTTON to the window HWND (hex), then asks list
// view LIST for its row count every millisecond until it holds ROWS rows, for
// at most MS milliseconds; prints "rows=N ms=T", T measured in this process
// from the post. Times a pass far finer than a screenshot poll can.
// Exit code 0 when the rows arrived, 1 when not (or HWND is no window).
//
//   winprobe.exe --row HWND ID ROW
// scrolls row ROW of list view ID into view and prints its bounds in screen
// pixels as L,T,R,B.
//
//   winprobe.exe --open HWND X Y MS
// posts a left click at client point (X, Y) of the window HWND (hex), where
// a click opens a dialog (the details window from the main window's link),
// then waits at most MS milliseconds for another visible dialog of HWND's
// thread, for it to answer a message and for it and its controls to finish
// painting; prints "shown_ms=S ms=T hwnd=H": S when the dialog was visible,
// T when it had painted, both measured in this process from the post.
// Exit code 0 when the dialog opened, 1 when not (or HWND is no window).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

// ANSI (the program's code page) to UTF-8, tabs and line ends made blanks so
// that a text never splits a line of the listing.
std::string Utf8FromAnsi(const char* text) {
    const int wide = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (wide <= 0) return std::string();
    std::wstring w(static_cast<size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text, -1, &w[0], wide);
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::string();
    std::string out(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, w.c_str(), -1, &out[0], bytes, nullptr, nullptr);
    out.resize(static_cast<size_t>(bytes - 1));
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}

BOOL CALLBACK CollectStaticText(HWND hWnd, LPARAM param) {
    char cls[64] = {};
    ::GetClassNameA(hWnd, cls, sizeof cls);
    if (_stricmp(cls, "Static") != 0) return TRUE;
    char text[1024] = {};
    ::GetWindowTextA(hWnd, text, sizeof text);
    auto* joined = reinterpret_cast<std::string*>(param);
    if (text[0]) {
        if (!joined->empty()) *joined += ' ';
        *joined += Utf8FromAnsi(text);
    }
    return TRUE;
}

BOOL CALLBACK ListWindow(HWND hWnd, LPARAM) {
    if (!::IsWindowVisible(hWnd)) return TRUE;
    char cls[64] = {};
    char title[256] = {};
    ::GetClassNameA(hWnd, cls, sizeof cls);
    ::GetWindowTextA(hWnd, title, sizeof title);
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    std::string text;
    ::EnumChildWindows(hWnd, &CollectStaticText, reinterpret_cast<LPARAM>(&text));
    std::printf("%llx\t%s\t%ld,%ld,%ld,%ld\t%s\t%s\n",
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(hWnd)), cls,
                static_cast<long>(rc.left), static_cast<long>(rc.top), static_cast<long>(rc.right),
                static_cast<long>(rc.bottom), Utf8FromAnsi(title).c_str(), text.c_str());
    return TRUE;
}

int ClickButton(const char* hwndHex, const char* idText) {
    HWND hWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(hwndHex, nullptr, 16)));
    const int id = std::atoi(idText);
    if (!::IsWindow(hWnd)) return 1;
    HWND hButton = ::GetDlgItem(hWnd, id);
    ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(hButton));
    return 0;
}

int CountItems(const char* hwndHex, const char* idText) {
    HWND hWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(hwndHex, nullptr, 16)));
    HWND hList = ::IsWindow(hWnd) ? ::GetDlgItem(hWnd, std::atoi(idText)) : nullptr;
    if (!hList) return 1;
    std::printf("%ld\n", static_cast<long>(::SendMessageA(hList, 0x1004 /* LVM_GETITEMCOUNT */, 0, 0)));
    std::fflush(stdout);
    return 0;
}

int Ping(const char* hwndHex, const char* msText) {
    HWND hWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(hwndHex, nullptr, 16)));
    if (!::IsWindow(hWnd)) return 1;
    const UINT bound = static_cast<UINT>(std::strtoul(msText, nullptr, 10));
    DWORD_PTR result = 0;
    const DWORD start = ::GetTickCount();
    const LRESULT answered = ::SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, bound, &result);
    std::printf("answered=%d ms=%lu\n", answered ? 1 : 0, static_cast<unsigned long>(::GetTickCount() - start));
    std::fflush(stdout);
    return answered ? 0 : 1;
}

int TimedPass(const char* hwndHex, const char* buttonText, const char* listText, const char* rowsText,
              const char* msText) {
    HWND hWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(hwndHex, nullptr, 16)));
    HWND hList = ::IsWindow(hWnd) ? ::GetDlgItem(hWnd, std::atoi(listText)) : nullptr;
    if (!hList) return 1;
    const int button = std::atoi(buttonText);
    const long want = std::strtol(rowsText, nullptr, 10);
    const double bound = std::strtod(msText, nullptr);
    LARGE_INTEGER freq, start, now;
    ::QueryPerformanceFrequency(&freq);
    ::QueryPerformanceCounter(&start);
    ::PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hWnd, button)));
    long rows = 0;
    double ms = 0;
    for (;;) {
        DWORD_PTR count = 0;
        // Bounded, so a busy window thread cannot hold the probe past MS.
        if (::SendMessageTimeoutA(hList, 0x1004 /* LVM_GETITEMCOUNT */, 0, 0, SMTO_ABORTIFHUNG, 1000, &count)) {
            rows = static_cast<long>(count);
        }
        ::QueryPerformanceCounter(&now);
        ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart);
        if (rows >= want || ms > bound) break;
        ::Sleep(1);
    }
    std::printf("rows=%ld ms=%.1f\n", rows, ms);
    std::fflush(stdout);
    return rows >= want ? 0 : 1;
}

HWND ListOf(const char* hwndHex, const char* idText) {
    HWND hWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(hwndHex, nullptr, 16)));
    return ::IsWindow(hWnd) ? ::GetDlgItem(hWnd, std::atoi(idText)) : nullptr;
}

// Memory in the list's own process: a list view writes its answers through
// pointers, and a pointer of ours means nothing there.
class RemoteBlock {
public:
    RemoteBlock(HWND hList, SIZE_T size) : m_nSize(size) {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(hList, &pid);
        m_hProcess = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (m_hProcess)
            m_pBase = ::VirtualAllocEx(m_hProcess, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBlock() {
        if (m_pBase) ::VirtualFreeEx(m_hProcess, m_pBase, 0, MEM_RELEASE);
        if (m_hProcess) ::CloseHandle(m_hProcess);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;

    bool Valid() const { return m_pBase != nullptr; }
    char* At(SIZE_T offset) const { return static_cast<char*>(m_pBase) + offset; }
    bool Write(SIZE_T offset, const void* data, SIZE_T size) const {
        return offset + size <= m_nSize && ::WriteProcessMemory(m_hProcess, At(offset), data, size, nullptr);
    }
    bool Read(SIZE_T offset, void* data, SIZE_T size) const {
        return offset + size <= m_nSize && ::ReadProcessMemory(m_hProcess, At(offset), data, size, nullptr);
    }

private:
    HANDLE m_hProcess = nullptr;
    void* m_pBase = nullptr;
    SIZE_T m_nSize;
};

int ListTexts(const char* hwndHex, const char* idText, const char* columnText) {
    HWND hList = ListOf(hwndHex, idText);
    if (!hList) return 1;
    constexpr SIZE_T kText = 1024;
    RemoteBlock block(hList, sizeof(LVITEMA) + kText);
    if (!block.Valid()) return 1;
    const int rows = static_cast<int>(::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        LVITEMA item{};
        item.iSubItem = std::atoi(columnText);
        item.pszText = block.At(sizeof(LVITEMA));
        item.cchTextMax = static_cast<int>(kText);
        char text[kText] = {};
        if (!block.Write(0, &item, sizeof item)) return 1;
        ::SendMessageA(hList, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.At(0)));
        if (!block.Read(sizeof(LVITEMA), text, kText - 1)) return 1;
        std::printf("%s\n", Utf8FromAnsi(text).c_str());
    }
    std::fflush(stdout);
    return 0;
}

int ListChecks(const char* hwndHex, const char* idText) {
    HWND hList = ListOf(hwndHex, idText);
    if (!hList) return 1;
    const int rows = static_cast<int>(::SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < rows; ++row) {
        const auto state = static_cast<UINT>(
            ::SendMessageA(hList, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK));
        std::printf("%d\n", (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2) ? 1 : 0);
    }
    std::fflush(stdout);
    return 0;
}

int RowRect(const char* hwndHex, const char* idText, const char* rowText) {
    HWND hList = ListOf(hwndHex, idText);
    if (!hList) return 1;
    const int row = std::atoi(rowText);
    ::SendMessageA(hList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    RemoteBlock block(hList, sizeof(RECT));
    RECT rc{};
    rc.left = LVIR_BOUNDS;
    if (!block.Valid() || !block.Write(0, &rc, sizeof rc)) return 1;
    if (!::SendMessageA(hList, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.At(0))))
        return 1;
    if (!block.Read(0, &rc, sizeof rc)) return 1;
    ::MapWindowPoints(hList, nullptr, reinterpret_cast<POINT*>(&rc), 2);
    std::printf("%ld,%ld,%ld,%ld\n", static_cast<long>(rc.left), static_cast<long>(rc.top),
                static_cast<long>(rc.right), static_cast<long>(rc.bottom));
    std::fflush(stdout);
    return 0;
}

struct Opened {
    HWND hOpener;
    HWND hFound;
};

BOOL CALLBACK FindOpened(HWND hWnd, LPARAM param) {
    auto* opened = reinterpret_cast<Opened*>(param);
    char cls[16] = {};
    ::GetClassNameA(hWnd, cls, sizeof cls);
    if (hWnd == opened->hOpener || std::strcmp(cls, "#32770") != 0 || !::IsWindowVisible(hWnd)) return TRUE;
    opened->hFound = hWnd;
    return FALSE;
}

int TimedOpen(const char* hwndHex, const char* xText, const char* yText, const char* msText) {
    HWND hWnd = reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(hwndHex, nullptr, 16)));
    if (!::IsWindow(hWnd)) return 1;
    const DWORD thread = ::GetWindowThreadProcessId(hWnd, nullptr);
    const double bound = std::strtod(msText, nullptr);
    LARGE_INTEGER freq, start, now;
    ::QueryPerformanceFrequency(&freq);
    auto elapsed = [&] {
        ::QueryPerformanceCounter(&now);
        return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart);
    };
    ::QueryPerformanceCounter(&start);
    ::PostMessageA(hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(std::atoi(xText), std::atoi(yText)));
    Opened opened{hWnd, nullptr};
    while (!opened.hFound) {
        if (elapsed() > bound) return 1;
        ::Sleep(1);
        ::EnumThreadWindows(thread, &FindOpened, reinterpret_cast<LPARAM>(&opened));
    }
    const double shown = elapsed();
    // Its thread answers once the dialog's modal loop runs; then whatever it
    // still has to paint, the list's rows among it, is painted before this returns.
    DWORD_PTR result = 0;
    const UINT left = static_cast<UINT>(bound > shown ? bound - shown : 1);
    if (!::SendMessageTimeoutA(opened.hFound, WM_NULL, 0, 0, SMTO_NORMAL, left, &result)) return 1;
    ::RedrawWindow(opened.hFound, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    std::printf("shown_ms=%.1f ms=%.1f hwnd=%llx\n", shown, elapsed(),
                static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(opened.hFound)));
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--list") == 0) {
        ::EnumWindows(&ListWindow, 0);
        std::fflush(stdout);
        return 0;
    }
    if (argc == 4 && std::strcmp(argv[1], "--click") == 0) return ClickButton(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--items") == 0) return CountItems(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "--ping") == 0) return Ping(argv[2], argv[3]);
    if (argc == 5 && std::strcmp(argv[1], "--texts") == 0) return ListTexts(argv[2], argv[3], argv[4]);
    if (argc == 4 && std::strcmp(argv[1], "--checks") == 0) return ListChecks(argv[2], argv[3]);
    if (argc == 5 && std::strcmp(argv[1], "--row") == 0) return RowRect(argv[2], argv[3], argv[4]);
    if (argc == 6 && std::strcmp(argv[1], "--open") == 0) return TimedOpen(argv[2], argv[3], argv[4], argv[5]);
    if (argc == 7 && std::strcmp(argv[1], "--pass") == 0) {
        return TimedPass(argv[2], argv[3], argv[4], argv[5], argv[6]);
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: winprobe TITLE | --list | --click HWND ID | --items HWND ID | --ping HWND MS"
                     " | --texts HWND ID COLUMN | --checks HWND ID | --row HWND ID ROW"
                     " | --pass HWND BUTTON LIST ROWS MS | --open HWND X Y MS\n");
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
