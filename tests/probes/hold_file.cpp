// Holds a file open as a running program holds its database: for reading and
// writing, letting others read and write it but not delete it.
//
//   hold_file.exe SECONDS EVENT "PATH"
//
// Opens PATH (taken from the wide command line, so any name goes), then sets
// the named event EVENT so the caller knows the file is held, and keeps it
// until ended or until SECONDS have passed, so a test that forgets it leaves
// nothing behind for long. A caller outside Windows, which has no event to
// wait on, reads the line "held" on the standard output instead. Exit code 1
// when the file cannot be opened, 2 on bad arguments.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "win/Handles.h"

namespace {

// The path as the wide command line holds it, so any name goes: the third
// argument, by the rules every C runtime splits a command line with.
std::wstring PathArgument() {
    int count = 0;
    LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (args == nullptr) return {};
    std::wstring path = count >= 4 ? args[3] : L"";
    ::LocalFree(args);
    return path;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    const DWORD seconds = std::strtoul(argv[1], nullptr, 10);
    const std::wstring path = PathArgument();
    if (path.empty()) return 2;
    win::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 1;
    win::UniqueHandle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[2]));
    if (ready) ::SetEvent(ready.Get());
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    ::Sleep(seconds * 1000);
    return 0;
}
