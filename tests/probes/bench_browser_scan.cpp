// The browsers' analysis on the real machine, beside its floor: a History of
// N addresses (today's schema) is written into Chrome's Default profile of
// the running user, then read
//   bare      by a loop that opens it with SQLite and reads id, url and
//             title of every address into strings;
//   analysis  by the program's own scan (engine/BrowserScan.h) through the
//             Win32 file system, into the trace list the window shows.
// Each is run six times; the first warms the caches, the least of the other
// five is printed. Then a History whose every tenth address also has a
// search term is listed and cleaned
//   bare      by a program that deletes every address with its visits,
//             terms and segments set-based in one transaction (on a copy);
//   cleaning  by the program's own removal of every listed row
//             (engine/browsers/BrowserClean.h), on the real file;
// three times each, from a fresh file, the least printed. Figures, never a
// verdict.
//
//   bench_browser_scan.exe N
//
// Prints one line: addresses=N rows=R bare_ms=X analysis_ms=Y ratio=Z
// clean_rows=C clean_ms=X bare_clean_ms=Y clean_ratio=Z.
// Exit code 0, 1 when the analysis did not list every address or the
// cleaning left a row, 2 on bad arguments or a profile folder that cannot
// be made.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/browsers/BrowserClean.h"
#include "engine/browsers/BrowserScan.h"
#include "engine/core/EngineState.h"
#include "seam/Text.h"
#include "seam/win32/Win32Platform.h"
#include "tests/bench/BrowserBench.h"

namespace {

bool MakeFolders(const std::u16string& path) {
    for (size_t at = path.find(u'\\', 3); ; at = path.find(u'\\', at + 1)) {
        const std::u16string part = path.substr(0, at);
        if (!::CreateDirectoryW(reinterpret_cast<LPCWSTR>(part.c_str()), nullptr) &&
            ::GetLastError() != ERROR_ALREADY_EXISTS)
            return false;
        if (at == std::u16string::npos) return true;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int n = argc == 2 ? std::atoi(argv[1]) : 0;
    if (n <= 0) {
        std::fprintf(stderr, "usage: bench_browser_scan.exe ADDRESSES\n");
        return 2;
    }
    seam::Win32Platform machine;
    seam::IFileSystem& files = machine.Get().files;
    std::u16string local;
    if (files.KnownFolderPath(seam::KnownFolder::LocalAppData, local) != seam::kErrSuccess) return 2;
    const std::u16string folder = local + u"\\Google\\Chrome\\User Data\\Default";
    if (!MakeFolders(folder)) return 2;
    const std::u16string path = folder + u"\\History";
    const std::string utf8Path = seam::Utf8FromUtf16(path);
    ::DeleteFileW(reinterpret_cast<LPCWSTR>(path.c_str()));
    bench::BuildHistory(utf8Path, n);

    int bareRows = 0;
    double bare = 1e9;
    for (int run = 0; run < 6; ++run) {
        const double ms = bench::BareRead(utf8Path, bareRows);
        if (run > 0) bare = std::min(bare, ms);
    }
    engine::EngineState state;
    state.m_bAnalysed.store(true);
    bench::CBenchView view;
    double analysis = 1e9;
    for (int run = 0; run < 6; ++run) {
        view.Clear();
        const auto start = bench::Clock::now();
        engine::ScanBrowsers(files, state, view, seam::kRecent);
        const double ms = bench::Ms(start);
        if (run > 0) analysis = std::min(analysis, ms);
    }
    const int rows = view.List().Count();

    const std::u16string floorPath = folder + u"\\History.floor";
    const std::string floorUtf8 = seam::Utf8FromUtf16(floorPath);
    double clean = 1e9, bareClean = 1e9;
    size_t cleanRows = 0;
    bool bAllGone = true;
    for (int run = 0; run < 3; ++run) {
        ::DeleteFileW(reinterpret_cast<LPCWSTR>(path.c_str()));
        bench::BuildHistory(utf8Path, n, 10);
        if (!::CopyFileW(reinterpret_cast<LPCWSTR>(path.c_str()), reinterpret_cast<LPCWSTR>(floorPath.c_str()), FALSE))
            return 2;
        view.Clear();
        engine::ScanBrowsers(files, state, view, seam::kRecent);
        std::vector<engine::RowRemoval> removals;
        for (const auto& row : view.List().Rows()) removals.push_back({row.target, false});
        cleanRows = removals.size();
        bareClean = std::min(bareClean, bench::BareDelete(floorUtf8, n));
        const auto start = bench::Clock::now();
        const engine::DatabaseResult result =
            engine::RemoveDatabaseRows(utf8Path, engine::DatabaseKind::History, removals);
        clean = std::min(clean, bench::Ms(start));
        bAllGone &= result.fate == engine::DatabaseFate::Cleaned && result.bNoAddressLeft;
        for (const auto& removal : removals) bAllGone &= removal.bGone;
    }
    ::DeleteFileW(reinterpret_cast<LPCWSTR>(floorPath.c_str()));
    std::printf("addresses=%d rows=%d bare_ms=%.2f analysis_ms=%.2f ratio=%.2f clean_rows=%zu clean_ms=%.2f "
                "bare_clean_ms=%.2f clean_ratio=%.2f\n",
                n, rows, bare, analysis, analysis / bare, cleanRows, clean, bareClean, clean / bareClean);
    return rows == n && bareRows == n && bAllGone ? 0 : 1;
}
