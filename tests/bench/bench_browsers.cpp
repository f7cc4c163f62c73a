// Figures, never a verdict: a browser profile of N addresses (today's
// History schema, two visits and a segment each), analysed and cleaned by
// the engine on the fake machine, each beside its floor:
//   analysis  beside a bare loop that opens the same file with SQLite and
//             reads the same columns of every address;
//   cleaning  (every address) beside one DELETE transaction of the same
//             addresses and their visits and segments, on a copy.
// Usage: bench_browsers [addresses, default 20000]
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/BrowserScan.h"
#include "engine/Engine.h"
#include "engine/TraceCategories.h"
#include "tests/fakes/BrowserFixture.h"
#include "tests/fakes/CurrentSchema.h"
#include "tests/fakes/FakePlatform.h"
#include "tests/fakes/FakeView.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

void Exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "bench: %s\n", error ? error : "?");
        std::exit(1);
    }
}

void Build(const std::string& path, int n) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    Exec(db, fakes::kCurrentHistorySchema);
    Exec(db, "BEGIN");
    for (int i = 1; i <= n; ++i) {
        const std::string id = std::to_string(i);
        Exec(db, "INSERT INTO urls (id, url, title, last_visit_time) VALUES (" + id + ", 'https://news.example.co.kr/article/" +
                     id + "?ref=main', '기사 " + id + " : 뉴스', " + id + ");"
                     "INSERT INTO visits (url, visit_time, segment_id) VALUES (" + id + ", " + id + ", " + id + "), (" + id +
                     ", " + id + "1, " + id + ");"
                     "INSERT INTO segments VALUES (" + id + ", 'news.example.co.kr/', " + id + ");");
    }
    Exec(db, "COMMIT");
    sqlite3_close_v2(db);
}

double BareRead(const std::string& path, int& rows) {
    const auto start = Clock::now();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, "SELECT id, url, title FROM urls", -1, &stmt, nullptr);
    rows = 0;
    size_t bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        const std::string url(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1)));
        const std::string title(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2)));
        bytes += url.size() + title.size() + static_cast<size_t>(sqlite3_column_int64(stmt, 0) & 1);
        ++rows;
    }
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
    const double ms = Ms(start);
    if (bytes == 0) std::printf("(nothing read)\n");
    return ms;
}

double BareDelete(const std::string& path) {
    const auto start = Clock::now();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    Exec(db, "BEGIN IMMEDIATE; DELETE FROM segments; DELETE FROM visits; DELETE FROM urls; COMMIT;");
    sqlite3_close_v2(db);
    return Ms(start);
}

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 20000;
    fakes::FakePlatform fake;
    engine::EngineState state;
    fakes::FakeView view(&state);
    engine::CTraceCategories categories(fake.platform, state, view);
    engine::CTraceEngine engine(fake.platform, state, view, categories);
    for (seam::Category c : {seam::kGrid, seam::kProcess, seam::kRegistry}) state.SetEnabled(c, false);
    fake.net.SetOnline(false);

    const std::u16string path = fakes::ProfileFolder(1, u"Default") + u"\\History";
    fake.files.WriteFile(path, "");
    const std::string real = fake.files.Utf8Path(path);
    Build(real, n);
    const std::string copy = real + ".floor";
    std::filesystem::copy_file(real, copy);
    std::printf("bench: %d addresses, History of %ju bytes\n", n, static_cast<uintmax_t>(std::filesystem::file_size(real)));

    int bareRows = 0;
    BareRead(real, bareRows);  // warm the page cache for both
    const double bare = BareRead(real, bareRows);
    // A first scan warms the same caches the bare loop had; the second is timed.
    state.m_bAnalysed.store(true);
    engine::ScanBrowsers(fake.files, state, view, seam::kRecent);
    view.List().Assign({});
    state.SetCount(seam::kRecent, 0);
    auto start = Clock::now();
    engine::ScanBrowsers(fake.files, state, view, seam::kRecent);
    const double scan = Ms(start);
    std::printf("analysis: %.1f ms for %d rows; bare SQLite loop %.1f ms for %d rows; ratio %.2f (goal: within 1.5)\n",
                scan, view.List().Count(), bare, bareRows, scan / bare);

    const double floor = BareDelete(copy);
    start = Clock::now();
    engine.AnalyseOrClean();  // the analysed flag is up: a cleaning pass over every listed row
    const double clean = Ms(start);
    std::printf("cleaning: %.1f ms, %d rows left; one DELETE transaction %.1f ms; ratio %.2f (goal: within 2)\n", clean,
                view.List().Count(), floor, clean / floor);
    std::filesystem::remove(copy);
    return 0;
}
