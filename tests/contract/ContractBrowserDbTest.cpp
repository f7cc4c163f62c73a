// SQLite as the program is built with it, on the file seam: a database made
// and changed through the path Utf8Path gives for a UTF-16 path (Korean and
// a character code page 949 lacks), read back from the bytes ReadFile gives
// and opened in memory; a lock another connection holds is seen as one.
#include <sqlite3.h>

#include <atomic>
#include <vector>

#include "engine/browsers/BrowserClean.h"
#include "engine/browsers/BrowserRows.h"
#include "formats/SqliteHandles.h"
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

class ContractBrowserDb : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        m_strFolder = m_cp->ScratchFolder() + u"\\웨일 프로필 \u0E01";
        ASSERT_TRUE(m_cp->MakeFolder(m_strFolder));
        m_strPath = m_strFolder + u"\\History";
    }
    seam::IFileSystem& Files() { return P().files; }

    // Runs SQL on the file through SQLite's own path handling.
    void Exec(const std::string& sql, int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) {
        sqlite3* db = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(Files().Utf8Path(m_strPath).c_str(), &db, flags, nullptr));
        char* error = nullptr;
        EXPECT_EQ(SQLITE_OK, sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error)) << (error ? error : "");
        sqlite3_free(error);
        sqlite3_close_v2(db);
    }
    std::vector<engine::BrowserRecord> ReadBack() {
        std::vector<uint8_t> bytes;
        EXPECT_EQ(seam::kErrSuccess, Files().ReadFile(m_strPath, 1 << 20, bytes));
        engine::CSqliteDb db;
        if (!db.OpenCopy(bytes)) {
            ADD_FAILURE() << "the copy does not open";
            return {};
        }
        std::atomic<bool> go{true};
        return engine::ReadRecords(db, engine::DatabaseKind::History, go);
    }

    std::u16string m_strFolder, m_strPath;
};

TEST_F(ContractBrowserDb, ADatabaseAtAUtf16PathIsReadFromMemoryAndChangedInPlace) {
    Exec("CREATE TABLE urls(id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR);"
         "CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER NOT NULL, visit_time INTEGER NOT NULL);"
         "INSERT INTO urls VALUES (1, 'https://www.naver.com/', '네이버'), (2, 'https://www.daum.net/', '다음');"
         "INSERT INTO visits VALUES (1, 1, 10), (2, 2, 20), (3, 1, 30);");
    auto records = ReadBack();
    ASSERT_EQ(2u, records.size());

    std::vector<engine::RowRemoval> rows(1);
    rows[0].target.kind = seam::TargetKind::DatabaseRow;
    rows[0].target.path = m_strPath;
    rows[0].target.name = "urls";
    rows[0].target.id = 1;
    rows[0].target.rowKey = "https://www.naver.com/";
    const engine::DatabaseResult result =
        engine::RemoveDatabaseRows(Files().Utf8Path(m_strPath), engine::DatabaseKind::History, rows);
    EXPECT_EQ(engine::DatabaseFate::Cleaned, result.fate);
    EXPECT_TRUE(rows[0].bGone);
    EXPECT_FALSE(result.bNoAddressLeft);

    records = ReadBack();
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ("https://www.daum.net/", records[0].key);
    EXPECT_EQ("다음", records[0].data);
    // Nothing is left beside the database (no journal, no temporary file).
    std::vector<seam::FileEntry> entries;
    ASSERT_EQ(seam::kErrSuccess, Files().ListFolder(m_strFolder, entries));
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(u"History", entries[0].name);
    EXPECT_FALSE(engine::DatabaseLocked(Files().Utf8Path(m_strPath)));
    EXPECT_EQ(seam::kErrSuccess, Files().DeleteFile(m_strPath));
}

// A connection that holds the database exclusively (as the browsers do
// while they run) makes it locked for the program, which waits a bounded
// time and changes nothing.
TEST_F(ContractBrowserDb, AnExclusiveLockIsSeen) {
    Exec("CREATE TABLE urls(id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR);"
         "INSERT INTO urls VALUES (1, 'https://www.naver.com/', '네이버');");
    sqlite3* holder = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open_v2(Files().Utf8Path(m_strPath).c_str(), &holder, SQLITE_OPEN_READWRITE, nullptr));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(holder, "PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; SELECT count(*) FROM urls;",
                                      nullptr, nullptr, nullptr));
    EXPECT_TRUE(engine::DatabaseLocked(Files().Utf8Path(m_strPath)));
    std::vector<engine::RowRemoval> rows(1);
    rows[0].target.name = "urls";
    rows[0].target.id = 1;
    rows[0].target.rowKey = "https://www.naver.com/";
    EXPECT_EQ(engine::DatabaseFate::Locked,
              engine::RemoveDatabaseRows(Files().Utf8Path(m_strPath), engine::DatabaseKind::History, rows).fate);
    EXPECT_FALSE(rows[0].bGone);
    // Analysis still reads it: ReadFile shares it with the holder.
    std::vector<uint8_t> bytes;
    EXPECT_EQ(seam::kErrSuccess, Files().ReadFile(m_strPath, 1 << 20, bytes));
    EXPECT_FALSE(bytes.empty());
    sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(holder);
    EXPECT_FALSE(engine::DatabaseLocked(Files().Utf8Path(m_strPath)));
    EXPECT_EQ(seam::kErrSuccess, Files().DeleteFile(m_strPath));
}

}  // namespace
}  // namespace contract
