// Holds a file open as a running program holds its database: for reading and
// writing, letting others read and write it but not delete it.
//
//   hold_file.exe SECONDS EVENT "PATH"
//
// Opens PATH (taken from the wide command line, so any name goes), then sets
// the named event EVENT so the caller knows the file is held, and keeps it
// until ended or until SECONDS have passed, so a test that forgets it leaves
// nothing behind for long. Exit code 1 when the file cannot be opened, 2 on
// bad arguments.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "win/Handles.h"

namespace {

// The text between the command line's last two double quotes.
std::wstring QuotedPath() {
    const std::wstring line = ::GetCommandLineW();
    const size_t close = line.rfind(L'"');
    if (close == std::wstring::npos || close == 0) return {};
    const size_t open = line.rfind(L'"', close - 1);
    if (open == std::wstring::npos) return {};
    return line.substr(open + 1, close - open - 1);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const DWORD seconds = std::strtoul(argv[1], nullptr, 10);
    const std::wstring path = QuotedPath();
    if (path.empty()) return 2;
    win::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 1;
    win::UniqueHandle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]));
    if (ready) ::SetEvent(ready.Get());
    ::Sleep(seconds * 1000);
    return 0;
}
