// Figures, never a verdict: a browser profile of N addresses (today's
// History schema, two visits and a segment each), analysed and cleaned by
// the engine on the fake machine, each beside its floor. The rows go into
// the trace list the window shows (engine/TraceList.h), and a counter change
// costs what the window's does (a bit set for the next repaint tick), so the
// figure is the program's and not the test view's bookkeeping.
//   analysis  beside a bare loop that opens the same file with SQLite and
//             reads the same columns of every address;
//   cleaning  of every address (and the search terms typed for every tenth
//             one), the program's whole pass and its transaction alone,
//             beside a bare program that deletes the same addresses and
//             their visits, terms and segments set-based in one
//             transaction, on a copy of the same file.
// Usage: bench_browsers [addresses, default 20000]
#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/browsers/BrowserClean.h"
#include "engine/browsers/BrowserRows.h"
#include "engine/browsers/BrowserScan.h"
#include "formats/SqliteHandles.h"
#include "engine/core/Engine.h"
#include "engine/kinds/TraceCategories.h"
#include "engine/core/TraceList.h"
#include "tests/bench/BrowserBench.h"
#include "tests/fakes/BrowserFixture.h"
#include "tests/fakes/FakePlatform.h"

namespace {

using bench::Clock;
using bench::Ms;

void CopyOver(const std::string& from, const std::string& to) {
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
}

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 20000;
    fakes::FakePlatform fake;
    engine::EngineState state;
    bench::CBenchView view;
    engine::CTraceCategories categories(fake.platform, state, view);
    engine::CTraceEngine engine(fake.platform, state, view, categories);
    for (seam::Category c : {seam::kGrid, seam::kProcess, seam::kRegistry}) state.SetEnabled(c, false);
    fake.net.SetOnline(false);

    const std::u16string path = fakes::ProfileFolder(1, u"Default") + u"\\History";
    fake.files.WriteFile(path, "");
    const std::string real = fake.files.Utf8Path(path);
    bench::BuildHistory(real, n);
    std::printf("bench: %d addresses, History of %ju bytes\n", n, static_cast<uintmax_t>(std::filesystem::file_size(real)));

    // The least of five runs each, after one that warms the same caches for
    // both: other work on the machine only ever adds to a figure.
    int bareRows = 0;
    bench::BareRead(real, bareRows);
    double bare = 1e9;
    for (int run = 0; run < 5; ++run) bare = std::min(bare, bench::BareRead(real, bareRows));
    state.m_bAnalysed.store(true);
    double scan = 1e9;
    for (int run = 0; run < 6; ++run) {
        view.Clear();
        state.SetCount(seam::kRecent, 0);
        const auto start = Clock::now();
        engine::ScanBrowsers(fake.files, state, view, seam::kRecent);
        if (run > 0) scan = std::min(scan, Ms(start));
    }
    {
        // Where the analysis goes: the file into memory, the records out of
        // SQLite, the rows made of them.
        auto t = Clock::now();
        std::vector<uint8_t> bytes;
        fake.files.ReadFile(path, static_cast<size_t>(std::filesystem::file_size(real)) + (1u << 20), bytes);
        const double read = Ms(t);
        t = Clock::now();
        engine::CSqliteDb db;
        db.OpenCopy(bytes);
        const auto records = engine::ReadRecords(db, engine::DatabaseKind::History, state.m_bAnalysed);
        const double query = Ms(t);
        t = Clock::now();
        size_t cells = 0;
        for (const auto& record : records) cells += engine::MakeBrowserRow(record, seam::kRecent, "r", path, "p").Name().size();
        const double rows = Ms(t);
        std::printf("analysis parts: file read %.1f ms, records %.1f ms, rows made %.1f ms (%zu bytes of names)\n", read,
                    query, rows, cells);
    }
    std::printf("analysis (least of 5): %.1f ms for %d rows; bare SQLite loop (least of 5) %.1f ms for %d rows; "
                "ratio %.2f (goal: within 1.5)\n",
                scan, view.List().Count(), bare, bareRows, scan / bare);

    // Cleaning: a History whose every tenth address also has a search term,
    // copied afresh for each of three runs; the least of each figure.
    const std::string model = real + ".model", floorCopy = real + ".floor", parts = real + ".parts";
    bench::BuildHistory(model, n, 10);
    double floor = 1e9, transaction = 1e9, clean = 1e9;
    size_t listed = 0;
    int left = 0;
    for (int run = 0; run < 3; ++run) {
        for (const std::string* to : {&real, &floorCopy, &parts}) CopyOver(model, *to);
        view.Clear();
        state.SetCount(seam::kRecent, 0);
        state.m_bAnalysed.store(true);
        engine::ScanBrowsers(fake.files, state, view, seam::kRecent);
        std::vector<engine::RowRemoval> rows;
        for (const auto& row : view.List().Rows()) rows.push_back({row.target, false});
        listed = rows.size();
        floor = std::min(floor, bench::BareDelete(floorCopy, n));
        auto t = Clock::now();
        engine::RemoveDatabaseRows(parts, engine::DatabaseKind::History, rows);
        transaction = std::min(transaction, Ms(t));
        t = Clock::now();
        engine.AnalyseOrClean();  // the analysed flag is up: a cleaning pass over every listed row
        clean = std::min(clean, Ms(t));
        left = view.List().Count();
    }
    std::printf("cleaning (least of 3): %.1f ms for %zu rows, %d left; its transaction alone %.1f ms; "
                "bare set-based DELETE transaction %.1f ms; ratio %.2f (goal: within 2)\n",
                clean, listed, left, transaction, floor, clean / floor);
    for (const std::string* file : {&model, &floorCopy, &parts}) std::filesystem::remove(*file);
    return 0;
}
