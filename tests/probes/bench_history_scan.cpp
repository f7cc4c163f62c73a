// The usage-history analysis on the real registry in one process, beside a
// bare reader, with no window, no click and no screenshot to time it by:
//   bare      every value of the four keys the benchmark seeds, name and data
//             in one RegEnumValueA call (bench_floor.exe's reader);
//   analysis  the program's own scan of every history source (ScanHistory)
//             through the Win32 registry, into a trace list.
// Each is run six times; the first warms the caches, the least of the other
// five is printed. Figures, never a verdict.
//
//   bench_history_scan.exe --seed N   writes N values, a quarter in each of the four keys, as
//                                     tests/bench/bench.py seeds them (every one a trace)
//   bench_history_scan.exe            measures
//
// Prints one line: values=N rows=R bare_ms=X analysis_ms=Y ratio=Z.
// Exit code 0, 1 when the analysis did not list every value read, 2 on bad arguments.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/core/EngineState.h"
#include "engine/history/HistorySources.h"
#include "engine/unattended/HeadlessView.h"
#include "seam/win32/Win32Platform.h"

namespace {

constexpr const char* kKeys[] = {
    "Software\\Microsoft\\Windows\\ShellNoRoam\\MUICache",
    "Software\\Microsoft\\Internet Explorer\\TypedURLs",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU",
    "Software\\Microsoft\\Office\\14.0\\Word\\File MRU",
};

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) { return std::chrono::duration<double, std::milli>(Clock::now() - since).count(); }

bool Seed(int count) {
    HKEY keys[4] = {};
    for (int k = 0; k < 4; ++k) {
        if (::RegCreateKeyExA(HKEY_CURRENT_USER, kKeys[k], 0, nullptr, 0, KEY_SET_VALUE, nullptr, &keys[k], nullptr) !=
            ERROR_SUCCESS)
            return false;
    }
    for (int i = 0; i < count; ++i) {
        const int n = i / 4;
        char name[64];
        char data[96];
        switch (i % 4) {
        case 0:  // a program on C: that is gone
            std::snprintf(name, sizeof name, "C:\\Gone\\tool%05d.exe", n);
            std::snprintf(data, sizeof data, "Tool %d", n);
            break;
        case 1:
            std::snprintf(name, sizeof name, "url%d", n + 1);
            std::snprintf(data, sizeof data, "http://site%d.example.co.kr/page", n);
            break;
        case 2:
            std::snprintf(name, sizeof name, "v%05d", n);
            std::snprintf(data, sizeof data, "cmd /c echo %d\\1", n);
            break;
        default:
            std::snprintf(name, sizeof name, "Item %d", n + 1);
            std::snprintf(data, sizeof data, "[F00000000][T01D1A2B3C4D5E6F0]*C:\\Docs\\doc%d.docx", n);
            break;
        }
        ::RegSetValueExA(keys[i % 4], name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data),
                         static_cast<DWORD>(std::strlen(data) + 1));
    }
    for (HKEY key : keys) ::RegCloseKey(key);
    return true;
}

long ReadBare() {
    static char name[32768];
    static BYTE data[1 << 20];
    long values = 0;
    for (const char* path : kKeys) {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
        for (DWORD i = 0;; ++i) {
            DWORD nameLen = 260, type = 0, dataLen = 260;
            LONG rc = ::RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data, &dataLen);
            if (rc == ERROR_MORE_DATA) {
                nameLen = sizeof name;
                dataLen = sizeof data;
                rc = ::RegEnumValueA(key, i, name, &nameLen, nullptr, &type, data, &dataLen);
            }
            if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) break;
            ++values;
        }
        ::RegCloseKey(key);
    }
    return values;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--seed") == 0) {
        const int count = std::atoi(argv[2]);
        return count > 0 && Seed(count) ? 0 : 2;
    }
    if (argc != 1) {
        std::fprintf(stderr, "usage: bench_history_scan.exe [--seed N]\n");
        return 2;
    }
    long values = 0;
    double bare = 1e9;
    for (int run = 0; run < 6; ++run) {
        const auto start = Clock::now();
        values = ReadBare();
        const double ms = Ms(start);
        if (run > 0) bare = std::min(bare, ms);
    }
    seam::Win32Platform machine;
    int rows = 0;
    double analysis = 1e9;
    for (int run = 0; run < 6; ++run) {
        engine::EngineState state;
        state.m_bAnalysed.store(true);  // as the driver raises it before any scan
        engine::CHeadlessView view;
        const auto start = Clock::now();
        engine::ScanHistory(machine.Get(), state, view);
        const double ms = Ms(start);
        if (run > 0) analysis = std::min(analysis, ms);
        rows = view.Traces().Count();
    }
    std::printf("values=%ld rows=%d bare_ms=%.1f analysis_ms=%.1f ratio=%.2f\n", values, rows, bare, analysis,
                analysis / bare);
    return rows == values ? 0 : 1;
}
