// Figures, never a verdict: a browser profile of N addresses (today's
// History schema, two visits and a segment each), analysed and cleaned by
// the engine on the fake machine, each beside its floor. The rows go into
// the trace list the window shows (engine/TraceList.h), and a counter change
// costs what the window's does (a bit set for the next repaint tick), so the
// figure is the program's and not the test view's bookkeeping.
//   analysis  beside a bare loop that opens the same file with SQLite and
//             reads the same columns of every address;
//   cleaning  (every address) beside one DELETE transaction of the same
//             addresses and their visits and segments, on a copy.
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

double BareDelete(const std::string& path, int rows) {
    const auto start = Clock::now();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    // By the rows' ids, as cleaning does: a DELETE without WHERE would only
    // drop the tables' pages.
    const std::string n = std::to_string(rows);
    bench::Exec(db, "BEGIN IMMEDIATE; DELETE FROM segments WHERE url_id <= " + n + "; DELETE FROM visits WHERE url <= " +
                        n + "; DELETE FROM urls WHERE id <= " + n + "; COMMIT;");
    sqlite3_close_v2(db);
    return Ms(start);
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
    const std::string copy = real + ".floor";
    std::filesystem::copy_file(real, copy);
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

    {
        // The transaction alone, on a second copy, with the rows the list holds.
        const std::string second = real + ".parts";
        std::filesystem::copy_file(real, second);
        std::vector<engine::RowRemoval> rows;
        for (const auto& row : view.List().Rows()) rows.push_back({row.target, false});
        const auto t = Clock::now();
        engine::RemoveDatabaseRows(second, engine::DatabaseKind::History, rows);
        std::printf("cleaning parts: the transaction of %zu rows %.1f ms\n", rows.size(), Ms(t));
        std::filesystem::remove(second);
    }
    const double floor = BareDelete(copy, n);
    const auto start = Clock::now();
    engine.AnalyseOrClean();  // the analysed flag is up: a cleaning pass over every listed row
    const double clean = Ms(start);
    std::printf("cleaning: %.1f ms, %d rows left; one DELETE transaction %.1f ms; ratio %.2f (goal: within 2)\n", clean,
                view.List().Count(), floor, clean / floor);
    std::filesystem::remove(copy);
    return 0;
}
