// What the browsers' benchmark needs on either side (natively over the fakes,
// and as bench_browser_scan.exe under Wine): a History of N addresses of
// today's schema, the bare SQLite programs that are the floors of analysis
// and cleaning, and a view that costs what the window costs during a pass.
#pragma once

#include <sqlite3.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/core/TraceList.h"
#include "seam/View.h"
#include "tests/fakes/CurrentSchema.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Ms(Clock::time_point since) {
    return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

inline void Exec(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "bench: %s\n", error ? error : "?");
        std::exit(1);
    }
}

// A History at `utf8Path` with `n` addresses, each with two visits and a
// segment, and a Korean title; with `termEvery`, every so many addresses
// also have a search term typed for them.
inline void BuildHistory(const std::string& utf8Path, int n, int termEvery = 0) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(utf8Path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "bench: cannot create %s\n", utf8Path.c_str());
        std::exit(1);
    }
    Exec(db, fakes::kCurrentHistorySchema);
    Exec(db, "BEGIN");
    for (int i = 1; i <= n; ++i) {
        const std::string id = std::to_string(i);
        Exec(db, "INSERT INTO urls (id, url, title, last_visit_time) VALUES (" + id +
                     ", 'https://news.example.co.kr/article/" + id + "?ref=main', '기사 " + id + " : 뉴스', " + id +
                     ");"
                     "INSERT INTO visits (url, visit_time, segment_id) VALUES (" + id + ", " + id + ", " + id + "), (" +
                     id + ", " + id + "1, " + id + ");"
                     "INSERT INTO segments VALUES (" + id + ", 'news.example.co.kr/', " + id + ");");
        if (termEvery > 0 && i % termEvery == 0) {
            Exec(db, "INSERT INTO keyword_search_terms VALUES (2, " + id + ", '뉴스 " + id + "', '뉴스 " + id + "')");
        }
    }
    Exec(db, "COMMIT");
    sqlite3_close_v2(db);
}

// The floor: the file opened with SQLite and the same columns of every
// address read into strings. Returns the milliseconds; `rows` the rows read.
inline double BareRead(const std::string& utf8Path, int& rows) {
    const auto start = Clock::now();
    sqlite3* db = nullptr;
    sqlite3_open_v2(utf8Path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
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

// The cleaning's floor: the addresses 1 to `n` deleted set-based in one
// transaction by a bare program, with their visits, search terms and
// segments: the ids into a temporary table one statement at a time (as
// they would come from a list), then one DELETE a table. Returns the
// milliseconds.
inline double BareDelete(const std::string& utf8Path, int n) {
    const auto start = Clock::now();
    sqlite3* db = nullptr;
    sqlite3_open_v2(utf8Path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr);
    Exec(db, "PRAGMA temp_store=MEMORY; BEGIN IMMEDIATE; CREATE TEMP TABLE chosen(id INTEGER PRIMARY KEY)");
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO temp.chosen VALUES (?1)", -1, &insert, nullptr);
    for (int id = 1; id <= n; ++id) {
        sqlite3_bind_int64(insert, 1, id);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Exec(db, "DELETE FROM main.keyword_search_terms WHERE url_id IN (SELECT id FROM temp.chosen);"
             "DELETE FROM main.segments WHERE url_id IN (SELECT id FROM temp.chosen);"
             "DELETE FROM main.visits WHERE url IN (SELECT id FROM temp.chosen);"
             "DELETE FROM main.urls WHERE id IN (SELECT id FROM temp.chosen);"
             "COMMIT");
    sqlite3_close_v2(db);
    return Ms(start);
}

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

}  // namespace bench
