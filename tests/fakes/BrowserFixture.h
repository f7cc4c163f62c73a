// The browsers' profiles on the fake machine: profile folders below Local
// AppData, databases put there (the real files of the shared test data, or
// ones a test builds with SQLite itself), and every table of a database read
// back for comparison.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "engine/browsers/BrowserProfiles.h"
#include "engine/core/Categories.h"
#include "engine/kinds/TraceChoice.h"
#include "seam/Text.h"
#include "tests/fakes/EngineFixture.h"
#include "tests/fakes/SharedTestData.h"

namespace fakes {

inline const std::u16string kLocalAppData = u"C:\\Users\\김하늘\\AppData\\Local";

// The profile folder `name` of browser `index` (kBrowsers order: Edge, Chrome, Whale).
inline std::u16string ProfileFolder(size_t index, const std::u16string& name) {
    return kLocalAppData + engine::kBrowsers[index].userData + u"\\" + name;
}

// A connection to a real file, for a test to build or read a database.
class TestDb {
public:
    explicit TestDb(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &m_pDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << "cannot open " << path;
        }
    }
    ~TestDb() { sqlite3_close_v2(m_pDb); }
    TestDb(const TestDb&) = delete;
    TestDb& operator=(const TestDb&) = delete;

    sqlite3* Get() const { return m_pDb; }
    void Exec(const std::string& sql) {
        char* error = nullptr;
        if (sqlite3_exec(m_pDb, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
            ADD_FAILURE() << sql.substr(0, 200) << ": " << (error ? error : "?");
        }
        sqlite3_free(error);
    }
    // Every row of the query, its columns joined by '|' with SQLite's quote().
    std::vector<std::string> Rows(const std::string& sql) {
        std::vector<std::string> rows;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(m_pDb, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sql << ": " << sqlite3_errmsg(m_pDb);
            return rows;
        }
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
                if (c) row += '|';
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
                if (sqlite3_column_type(stmt, c) == SQLITE_NULL) row += "NULL";
                else row.append(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(stmt, c)));
            }
            rows.push_back(row);
        }
        sqlite3_finalize(stmt);
        return rows;
    }
    int64_t Scalar(const std::string& sql) {
        const auto rows = Rows(sql);
        return rows.empty() ? -1 : std::stoll(rows[0]);
    }
    // Every table (and its rows, sorted), SQLite's own included.
    std::map<std::string, std::vector<std::string>> Dump() {
        std::map<std::string, std::vector<std::string>> tables;
        for (const std::string& name : Rows("SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name")) {
            std::string quoted = "\"";
            for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
            quoted += '"';
            auto rows = Rows("SELECT * FROM " + quoted);
            std::sort(rows.begin(), rows.end());
            tables[name] = rows;
        }
        tables["(schema)"] = Rows("SELECT type, name, tbl_name, sql FROM sqlite_schema ORDER BY name");
        return tables;
    }

private:
    sqlite3* m_pDb = nullptr;
};

class BrowserFixture : public EngineFixture {
protected:
    BrowserFixture() { m_state.m_bAnalysed.store(true); }

    static std::string SharedFile(const std::string& relative) {
        const std::vector<uint8_t> data = ReadSharedTestFile(relative);
        return std::string(data.begin(), data.end());
    }
    void Put(const std::u16string& path, const std::string& bytes) { ASSERT_TRUE(m_fake.files.WriteFile(path, bytes)); }
    // A shared test database copied into the profile, under `name`.
    void PutShared(const std::u16string& folder, const std::u16string& name, const std::string& relative) {
        const std::string bytes = SharedFile(relative);
        ASSERT_FALSE(bytes.empty()) << relative << " is missing from the shared test data";
        Put(folder + u"\\" + name, bytes);
    }
    std::string FileBytes(const std::u16string& path) {
        std::string bytes;
        m_fake.files.ReadAll(path, bytes);
        return bytes;
    }
    std::string RealPath(const std::u16string& path) {
        // The folders on the way exist once a file is put there.
        return m_fake.files.Utf8Path(path);
    }
    // The rows of the trace list from the database at `path`.
    std::vector<seam::TraceItem> RowsOf(const std::u16string& path) {
        std::vector<seam::TraceItem> out;
        for (const auto& row : Rows()) {
            if (row.target.kind == seam::TargetKind::DatabaseRow && row.target.path == path) out.push_back(row);
        }
        return out;
    }
    // Leaves out every listed row of `path` but those `keep` says to clean.
    template <typename Keep>
    void LeaveOutAllBut(Keep clean) {
        std::vector<seam::TraceItem> leftOut;
        for (const auto& row : Rows()) {
            if (!clean(row)) leftOut.push_back(row);
        }
        engine::LeaveOut(m_state, m_view, leftOut);
    }
};

}  // namespace fakes
