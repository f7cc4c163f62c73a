// Lists the running processes as the toolhelp snapshot reports them, which
// is what the program's own process walk sees (names included, such as a
// service's executable started by the service manager).
//
//   proclist.exe
// prints one line per process: "<pid> <executable name>", then "end".
// Exit code 0, or 1 when no snapshot could be taken.
#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>

#include "win/Handles.h"

int main() {
    win::UniqueFileHandle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snap) return 1;
    PROCESSENTRY32 entry;
    ZeroMemory(&entry, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snap.Get(), &entry); more; more = ::Process32Next(snap.Get(), &entry)) {
        std::printf("%lu %s\n", static_cast<unsigned long>(entry.th32ProcessID), entry.szExeFile);
    }
    // The last line tells a reader the list is whole.
    std::printf("end\n");
    std::fflush(stdout);
    return 0;
}
