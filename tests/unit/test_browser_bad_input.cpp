// Browser databases the program cannot fully understand: a file that is no
// database, a truncated or corrupt one, an empty one, schemas without the
// expected tables or columns. Rows where they can be read, none where not,
// and cleaning never changes a byte of a database it could not understand.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "engine/browsers/BrowserRows.h"
#include "engine/browsers/BrowserScan.h"
#include "formats/SqliteHandles.h"
#include "engine/core/StatusTexts.h"
#include "tests/fakes/BrowserFixture.h"
#include "tests/fakes/CurrentSchema.h"

namespace {

using fakes::ProfileFolder;
using fakes::TestDb;

constexpr size_t kChrome = 1;

class BrowserBadInput : public fakes::BrowserFixture {
protected:
    // The browsers' part of RECENT and REGISTRY alone: the registry's
    // sources have nothing to do with these files.
    void ScanBoth() {
        engine::ScanBrowsers(m_fake.files, m_state, m_view, seam::kRecent);
        engine::ScanBrowsers(m_fake.files, m_state, m_view, seam::kRegistry);
    }
    std::u16string Folder() { return ProfileFolder(kChrome, u"Default"); }
    size_t Scan(const std::u16string& name, const std::string& bytes) {
        Put(Folder() + u"\\" + name, bytes);
        ScanBoth();
        return RowsOf(Folder() + u"\\" + name).size();
    }
    // The rows of a good copy, listed; then the file swapped for `bytes`
    // before cleaning: nothing of it may change, and the rows stay.
    void CleanAfterSwap(const std::string& good, const std::string& bytes) {
        const std::u16string path = Folder() + u"\\History";
        Put(path, good);
        m_state.m_bAnalysed.store(false);
        Pass();
        const size_t listed = RowsOf(path).size();
        ASSERT_GT(listed, 0u);
        Put(path, bytes);
        Pass();
        EXPECT_EQ(bytes, FileBytes(path));
        EXPECT_EQ(listed, RowsOf(path).size());
        EXPECT_EQ(engine::StatusCleanFailed(static_cast<int>(listed)), m_state.StatusText());
    }
    std::string History() { return SharedFile("files/chromium/History"); }
};

TEST_F(BrowserBadInput, FilesThatAreNoDatabaseListNothing) {
    EXPECT_EQ(0u, Scan(u"History", "not a database at all, only text\r\n"));
    EXPECT_EQ(0u, Scan(u"Web Data", std::string("SQLite format 3\0", 16) + std::string(4080, '\xFF')));
    EXPECT_EQ(0u, Scan(u"Login Data", std::string(8192, '\0')));
    EXPECT_EQ(0u, Scan(u"Login Data For Account", ""));
    EXPECT_EQ(0, m_state.Count(seam::kRecent));
    EXPECT_EQ(0, m_state.Count(seam::kRegistry));
}

// Cut after its first pages or with pages overwritten, a real History gives
// what SQLite can still read and never more than the whole file.
TEST_F(BrowserBadInput, TruncatedAndCorruptFilesGiveWhatCanBeRead) {
    const std::string whole = History();
    ASSERT_GT(whole.size(), 16384u);
    ASSERT_EQ(58u, Scan(u"History", whole));
    std::set<std::string> known;
    for (const auto& row : Rows()) known.insert(row.target.name + ":" + std::to_string(row.target.id) + ":" + row.target.rowKey);
    // Every row a damaged copy gives is one of the whole file's rows.
    auto expectKnown = [&](const std::string& what) {
        for (const auto& row : Rows()) {
            EXPECT_TRUE(known.count(row.target.name + ":" + std::to_string(row.target.id) + ":" + row.target.rowKey))
                << what << ": " << row.target.name << " " << row.target.id;
        }
    };
    for (size_t cut : {size_t{100}, size_t{4096}, whole.size() / 2, whole.size() - 1}) {
        m_view.List().Assign({});
        Scan(u"History", whole.substr(0, cut));
        expectKnown("cut at " + std::to_string(cut));
    }
    for (size_t page = 1; page * 4096 < whole.size(); page += 3) {
        std::string corrupt = whole;
        for (size_t i = page * 4096; i < page * 4096 + 64 && i < corrupt.size(); ++i) corrupt[i] = static_cast<char>(i * 37);
        m_view.List().Assign({});
        Scan(u"History", corrupt);
        expectKnown("page " + std::to_string(page) + " overwritten");
    }
}

// Schemas without the expected tables, or with the tables but not their
// columns: nothing from those tables, the rest as usual.
TEST_F(BrowserBadInput, MissingTablesAndColumnsGiveNoRowsOfThem) {
    const std::u16string path = Folder() + u"\\History";
    Put(path, "");
    {
        TestDb db(RealPath(path));
        db.Exec("CREATE TABLE urls(id INTEGER PRIMARY KEY, address TEXT, title TEXT);"
                "INSERT INTO urls VALUES (1, 'https://a.example/', 'a');"
                "CREATE TABLE keyword_search_terms(url_id INTEGER, term TEXT);"
                "INSERT INTO keyword_search_terms VALUES (1, '검색');");
    }
    ScanBoth();
    const auto rows = RowsOf(path);
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("keyword_search_terms", rows[0].target.name);

    const std::u16string logins = Folder() + u"\\Login Data";
    Put(logins, "");
    {
        TestDb db(RealPath(logins));
        db.Exec("CREATE TABLE logins(origin_url TEXT PRIMARY KEY, username_value TEXT) WITHOUT ROWID;"
                "INSERT INTO logins VALUES ('https://nid.naver.com/', 'haneul');"
                "CREATE TABLE meta(key LONGVARCHAR NOT NULL UNIQUE PRIMARY KEY, value LONGVARCHAR);");
    }
    ScanBoth();
    EXPECT_EQ(0u, RowsOf(logins).size());
}

// Values of other types than the schema says (numbers, blobs that are not
// UTF-8, NULL) are listed with the texts SQLite gives them.
TEST_F(BrowserBadInput, ValuesOfOtherTypesAreStillListed) {
    const std::u16string path = Folder() + u"\\Web Data";
    Put(path, "");
    {
        TestDb db(RealPath(path));
        db.Exec("CREATE TABLE autofill (name VARCHAR, value VARCHAR, value_lower VARCHAR, date_created INTEGER DEFAULT 0,"
                " date_last_used INTEGER DEFAULT 0, count INTEGER DEFAULT 1, PRIMARY KEY (name, value));"
                "INSERT INTO autofill (name, value) VALUES (42, X'FFFE00C3'), ('email', NULL), (NULL, 'x');");
    }
    ScanBoth();
    const auto rows = RowsOf(path);
    ASSERT_EQ(3u, rows.size());
    for (const auto& row : rows) EXPECT_LE(row.Name().size(), 259u);
}

// Cleaning meets a database that the browser replaced with something the
// program cannot understand: not a byte changes and the rows stay.
TEST_F(BrowserBadInput, CleaningNeverChangesAFileItCannotUnderstand) {
    CleanAfterSwap(History(), "not a database\n");
}

TEST_F(BrowserBadInput, CleaningNeverChangesACorruptDatabase) {
    std::string corrupt = History();
    // Every page but the first (the schema) overwritten: the tables' pages are garbage.
    for (size_t i = 4096; i < corrupt.size(); ++i) corrupt[i] = static_cast<char>((i * 131) >> 3);
    CleanAfterSwap(History(), corrupt);
}

TEST_F(BrowserBadInput, CleaningNeverChangesASchemaWithoutTheColumns) {
    const std::u16string scratch = Folder() + u"\\scratch";
    Put(scratch, "");
    {
        TestDb db(RealPath(scratch));
        db.Exec("CREATE TABLE urls(key INTEGER PRIMARY KEY, link TEXT); INSERT INTO urls VALUES (1, 'x');");
    }
    CleanAfterSwap(History(), FileBytes(scratch));
}

// The code that turns query results into rows, on a copy in memory: a
// write-ahead-mode file is read like any other, and the copy's owner keeps
// the connection's bytes alive.
TEST_F(BrowserBadInput, WriteAheadModeFilesAreReadFromTheCopy) {
    const std::u16string scratch = Folder() + u"\\wal";
    Put(scratch, "");
    {
        TestDb db(RealPath(scratch));
        db.Exec(fakes::kCurrentHistorySchema);
        db.Exec("INSERT INTO urls (url, title, last_visit_time) VALUES ('https://wal.example/', 'w', 1);"
                "PRAGMA journal_mode=WAL; PRAGMA wal_checkpoint(TRUNCATE);");
    }
    std::string bytes = FileBytes(scratch);
    ASSERT_GT(bytes.size(), 100u);
    ASSERT_EQ(2, bytes[18]);
    std::vector<uint8_t> copy(bytes.begin(), bytes.end());
    engine::CSqliteDb db;
    ASSERT_TRUE(db.OpenCopy(copy));
    std::atomic<bool> go{true};
    const auto records = engine::ReadRecords(db, engine::DatabaseKind::History, go);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ("https://wal.example/", records[0].key);
    EXPECT_EQ(bytes, FileBytes(scratch));
}

}  // namespace
