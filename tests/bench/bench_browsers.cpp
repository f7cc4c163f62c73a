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

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/BrowserClean.h"
#include "engine/BrowserRows.h"
#include "engine/BrowserScan.h"
#include "engine/SqliteHandles.h"
#include "engine/Engine.h"
#include "engine/TraceCategories.h"
#include "engine/TraceList.h"
#include "tests/fakes/BrowserFixture.h"
#include "tests/fakes/CurrentSchema.h"
#include "tests/fakes/FakePlatform.h"

namespace {

using Clock = std::chrono::steady_clock;

// The window as the engine meets it during a pass: the product's trace list,
// and repaint requests that only mark what to repaint.
class CBenchView : public seam::IView {
public:
    seam::ITraceList& Traces() override { return m_list; }
    void CounterChanged(seam::Category category) override { m_nMarks.fetch_or(1u << category); }
    void StatusChanged() override { m_nMarks.fetch_or(1u << 8); }
    void SetActionFace(seam::ActionFace) override {}
    void SetProgress(int) override { m_nMarks.fetch_or(1u << 9); }

    engine::CTraceList& List() { return m_list; }
    void Clear() {
        while (m_list.Count() > 0) m_list.Delete(m_list.Count() - 1);
    }

private:
    engine::CTraceList m_list;
    std::atomic<unsigned> m_nMarks{0};
};

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

double BareDelete(const std::string& path, int rows) {
    const auto start = Clock::now();
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    // By the rows' ids, as cleaning does: a DELETE without WHERE would only
    // drop the tables' pages.
    const std::string n = std::to_string(rows);
    Exec(db, "BEGIN IMMEDIATE; DELETE FROM segments WHERE url_id <= " + n + "; DELETE FROM visits WHERE url <= " + n +
                 "; DELETE FROM urls WHERE id <= " + n + "; COMMIT;");
    sqlite3_close_v2(db);
    return Ms(start);
}

}  // namespace

int main(int argc, char** argv) {
    const int n = argc > 1 ? std::atoi(argv[1]) : 20000;
    fakes::FakePlatform fake;
    engine::EngineState state;
    CBenchView view;
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
    view.Clear();
    state.SetCount(seam::kRecent, 0);
    auto start = Clock::now();
    engine::ScanBrowsers(fake.files, state, view, seam::kRecent);
    const double scan = Ms(start);
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
    std::printf("analysis: %.1f ms for %d rows; bare SQLite loop %.1f ms for %d rows; ratio %.2f (goal: within 1.5)\n",
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
    start = Clock::now();
    engine.AnalyseOrClean();  // the analysed flag is up: a cleaning pass over every listed row
    const double clean = Ms(start);
    std::printf("cleaning: %.1f ms, %d rows left; one DELETE transaction %.1f ms; ratio %.2f (goal: within 2)\n", clean,
                view.List().Count(), floor, clean / floor);
    std::filesystem::remove(copy);
    return 0;
}
