// A browser database in write-ahead mode, made by SQLite itself: what the
// browser has written only to the -wal is listed, as SQLite reads the two
// files together (a damaged -wal gives what SQLite trusts of it), neither
// copy is changed; cleaning leaves the removed texts in neither file, and
// says so when the -wal cannot be emptied.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "engine/browsers/BrowserRows.h"
#include "engine/browsers/BrowserScan.h"
#include "engine/core/StatusTexts.h"
#include "formats/SqliteHandles.h"
#include "tests/fakes/BrowserFixture.h"
#include "tests/fakes/CurrentSchema.h"

namespace {

using fakes::ProfileFolder;
using fakes::TestDb;
using Texts = std::vector<std::string>;

constexpr size_t kChrome = 1;
constexpr size_t kWalHeader = 32, kFrameHeader = 24, kPageSize = 1024;

std::string RawBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteRaw(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void RemoveWithCompanions(const std::string& path) {
    for (const char* tail : {"", "-wal", "-shm", "-journal"}) std::filesystem::remove(path + tail);
}

// Two addresses and a search term, moved into the database file itself.
constexpr const char* kBase =
    "INSERT INTO urls (id, url, title, last_visit_time) VALUES"
    " (1, 'https://base.example/one', 'one', 1), (2, 'https://base.example/two', 'two', 2);"
    "INSERT INTO keyword_search_terms VALUES (1, 1, 'base term', 'base term');";
// Transactions the browser then writes to the -wal alone.
constexpr const char* kAddThree =
    "INSERT INTO urls (id, url, title, last_visit_time) VALUES (3, 'https://wal.example/three', 'three', 3);"
    "INSERT INTO keyword_search_terms VALUES (1, 3, 'wal term', 'wal term');";
// Several pages of frames: a title over the page size.
constexpr const char* kAddFour =
    "INSERT INTO urls (id, url, title, last_visit_time) VALUES (4, 'https://wal.example/four', hex(zeroblob(2500)), 4);";
constexpr const char* kDeleteTwo = "DELETE FROM urls WHERE id = 2;";
constexpr const char* kChangeOne = "UPDATE urls SET url = 'https://wal.example/changed' WHERE id = 1;";

const Texts kBaseRows = {"keyword_search_terms:base term", "urls:https://base.example/one",
                         "urls:https://base.example/two"};

// A History as the browser leaves it while it runs: `base` checkpointed
// into the file, then each of `wal` written to the -wal alone. The bytes of
// both files are taken while the connection is open, so the -wal is whole.
struct WalPair {
    std::string db;
    std::string wal;
    std::vector<size_t> walSizes;  // the -wal's size after each transaction
};

WalPair MakeWalPair(const std::string& scratch, const std::vector<const char*>& wal) {
    RemoveWithCompanions(scratch);
    WalPair pair;
    TestDb db(scratch);
    db.Exec("PRAGMA synchronous=OFF; PRAGMA page_size=" + std::to_string(kPageSize));
    db.Exec(fakes::kCurrentHistorySchema);
    db.Exec(kBase);
    db.Exec("PRAGMA journal_mode=WAL; PRAGMA wal_checkpoint(TRUNCATE); PRAGMA wal_autocheckpoint=0;");
    for (const char* transaction : wal) {
        db.Exec(transaction);
        pair.walSizes.push_back(static_cast<size_t>(std::filesystem::file_size(scratch + "-wal")));
    }
    pair.db = RawBytes(scratch);
    pair.wal = RawBytes(scratch + "-wal");
    return pair;
}

// What SQLite itself makes of the same two files on disk: the rows the
// scan must give, "table:key" sorted.
Texts NativeRows(const std::string& scratch, const std::string& dbBytes, const std::string* walBytes) {
    RemoveWithCompanions(scratch);
    WriteRaw(scratch, dbBytes);
    if (walBytes) WriteRaw(scratch + "-wal", *walBytes);
    Texts rows;
    {
        TestDb db(scratch);
        for (const std::string& url : db.Rows("SELECT url FROM urls")) rows.push_back("urls:" + url);
        for (const std::string& term : db.Rows("SELECT term FROM keyword_search_terms")) {
            rows.push_back("keyword_search_terms:" + term);
        }
    }
    RemoveWithCompanions(scratch);
    std::sort(rows.begin(), rows.end());
    return rows;
}

struct ScanCase {
    const char* name;
    std::vector<const char*> transactions;
    // The -wal file put beside the database: nullptr for none, else made of
    // the real one.
    std::string (*wal)(const WalPair& pair);
    // The rows listed, "table:key" sorted; empty: as SQLite reads the files.
    Texts rows;
    // SQLite refuses this -wal whole: the database alone is read, and the
    // test's own SQLite is no judge.
    bool bRefused = false;
};

std::string AsMade(const WalPair& p) { return p.wal; }
std::string Emptied(const WalPair&) { return ""; }
std::string CutInHalf(const WalPair& p) { return p.wal.substr(0, p.wal.size() / 2); }
std::string CutInSecond(const WalPair& p) { return p.wal.substr(0, p.walSizes.at(0) + 100); }
std::string CutInFirstFrame(const WalPair& p) { return p.wal.substr(0, kWalHeader + kFrameHeader + 100); }
std::string Flipped(std::string bytes, size_t at) {
    bytes.at(at) = static_cast<char>(bytes.at(at) ^ 0x5A);
    return bytes;
}
// The header's first salt no longer matches any frame's.
std::string OtherSalt(const WalPair& p) { return Flipped(p.wal, 16); }
// A byte of the last frame's page: that frame and its transaction fail their checksum.
std::string BadLastFrame(const WalPair& p) { return Flipped(p.wal, p.wal.size() - 10); }
std::string NoMagic(const WalPair& p) { return Flipped(p.wal, 0); }
// Another format version, under a header checksum that holds (else SQLite
// would ignore the header before it reads the version).
uint32_t Word(const std::string& bytes, size_t at, bool bBigEndian) {
    uint32_t word = 0;
    for (size_t i = 0; i < 4; ++i) {
        const uint32_t byte = static_cast<uint8_t>(bytes[at + i]);
        word |= bBigEndian ? byte << (8 * (3 - i)) : byte << (8 * i);
    }
    return word;
}
void PutBigEndian(std::string& bytes, size_t at, uint32_t word) {
    for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(word >> (8 * (3 - i)));
}
std::string UnknownVersion(const WalPair& p) {
    std::string wal = Flipped(p.wal, 7);
    const bool bBigEndian = (static_cast<uint8_t>(wal[3]) & 1) != 0;
    uint32_t s0 = 0, s1 = 0;
    for (size_t i = 0; i < 24; i += 8) {
        s0 += Word(wal, i, bBigEndian) + s1;
        s1 += Word(wal, i + 4, bBigEndian) + s0;
    }
    PutBigEndian(wal, 24, s0);
    PutBigEndian(wal, 28, s1);
    return wal;
}
std::string NoFormat(const WalPair&) { return std::string(5000, 'x'); }
// The header alone, no frame.
std::string Truncated(const WalPair& p) { return p.wal.substr(0, kWalHeader); }

Texts With(Texts rows, const Texts& more) {
    rows.insert(rows.end(), more.begin(), more.end());
    std::sort(rows.begin(), rows.end());
    return rows;
}
Texts Without(Texts rows, const std::string& row) {
    rows.erase(std::remove(rows.begin(), rows.end(), row), rows.end());
    return rows;
}

const Texts kWithThree = With(kBaseRows, {"keyword_search_terms:wal term", "urls:https://wal.example/three"});

const ScanCase kScanCases[] = {
    {"RowsOnlyInTheWalAreListed", {kAddThree}, AsMade, kWithThree},
    {"SeveralTransactionsOfSeveralPages", {kAddThree, kAddFour}, AsMade, With(kWithThree, {"urls:https://wal.example/four"})},
    {"ARowDeletedInTheWalIsNotListed", {kDeleteTwo}, AsMade, Without(kBaseRows, "urls:https://base.example/two")},
    {"ARowChangedInTheWalIsListedAsChanged", {kChangeOne}, AsMade,
     With(Without(kBaseRows, "urls:https://base.example/one"), {"urls:https://wal.example/changed"})},
    {"AnEmptyWalChangesNothing", {kAddThree}, Emptied, kBaseRows},
    {"NoWalFileChangesNothing", {kAddThree}, nullptr, kBaseRows},
    {"AWalCutInsideItsSecondTransactionGivesTheFirst", {kAddThree, kAddFour}, CutInSecond, kWithThree},
    {"AWalCutInsideItsFirstFrameGivesNone", {kAddThree, kAddFour}, CutInFirstFrame, kBaseRows},
    {"AWalCutInHalfGivesWhatSqliteTrusts", {kAddThree, kAddFour, kDeleteTwo}, CutInHalf, {}},
    {"AWalOfOnlyAHeaderGivesNone", {kAddThree}, Truncated, kBaseRows},
    {"AWalWithAnotherSaltGivesNone", {kAddThree}, OtherSalt, kBaseRows},
    {"ABadChecksumDropsItsTransaction", {kAddThree, kAddFour}, BadLastFrame, kWithThree},
    {"AWalWithoutItsMagicGivesNone", {kAddThree}, NoMagic, kBaseRows},
    {"AWalOfNoFormatGivesNone", {kAddThree}, NoFormat, kBaseRows},
    {"AWalOfAnUnknownVersionGivesTheDatabaseAlone", {kAddThree}, UnknownVersion, kBaseRows, true},
};

class BrowserWalScan : public fakes::BrowserFixture, public ::testing::WithParamInterface<ScanCase> {
protected:
    std::u16string History() { return ProfileFolder(kChrome, u"Default") + u"\\History"; }
    std::string Scratch() {
        const std::u16string folder = fakes::kLocalAppData + u"\\WalScratch";
        Put(folder + u"\\keep", "");
        return RealPath(folder) + "/scratch";
    }
    Texts Listed(const std::u16string& path) {
        Texts rows;
        for (const auto& row : RowsOf(path)) rows.push_back(row.target.name + ":" + row.target.rowKey);
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

TEST_P(BrowserWalScan, RowsAreThoseSqliteReadsFromTheDatabaseWithItsWal) {
    const ScanCase& c = GetParam();
    const std::string scratch = Scratch();
    const WalPair pair = MakeWalPair(scratch, c.transactions);
    ASSERT_EQ(2, pair.db[18]) << "the database is in write-ahead mode";
    ASSERT_GT(pair.wal.size(), kWalHeader);
    const std::u16string path = History(), walPath = History() + u"-wal";
    Put(path, pair.db);
    std::string wal;
    if (c.wal) {
        wal = c.wal(pair);
        Put(walPath, wal);
    }

    engine::ScanBrowsers(m_fake.files, m_state, m_view, seam::kRecent);
    const Texts listed = Listed(path);
    if (!c.rows.empty()) {
        EXPECT_EQ(c.rows, listed);
    }
    if (!c.bRefused) {
        EXPECT_EQ(NativeRows(scratch, pair.db, c.wal ? &wal : nullptr), listed);
    }
    // Never more than the whole -wal gives, and nothing of it but whole transactions.
    const Texts whole = NativeRows(scratch, pair.db, &pair.wal);
    for (const std::string& row : listed) {
        EXPECT_TRUE(std::count(whole.begin(), whole.end(), row) || std::count(kBaseRows.begin(), kBaseRows.end(), row))
            << row;
    }
    EXPECT_EQ(static_cast<int>(listed.size()), m_state.Count(seam::kRecent));
    EXPECT_TRUE(m_state.Notes().empty());

    // Read, not changed: both files as they were, and no -shm made.
    EXPECT_TRUE(pair.db == FileBytes(path));
    if (c.wal) {
        EXPECT_TRUE(wal == FileBytes(walPath));
    }
    EXPECT_FALSE(m_fake.files.Exists(path + u"-shm"));
    // The copies in memory too, header and all.
    std::vector<uint8_t> dbCopy(pair.db.begin(), pair.db.end()), walCopy(wal.begin(), wal.end());
    engine::CSqliteDb db;
    ASSERT_TRUE(db.OpenCopy(dbCopy, walCopy));
    std::atomic<bool> go{true};
    EXPECT_EQ(listed.size(), engine::ReadRecords(db, engine::DatabaseKind::History, go).size());
    // (Read without a -wal, or with one SQLite refuses, the copy is read
    // as a rollback-journal database, which bytes 18 and 19 of its header
    // are made to say.)
    const bool bWithWal = !wal.empty() && !c.bRefused;
    for (size_t i = 0; i < pair.db.size(); ++i) {
        if (!bWithWal && (i == 18 || i == 19)) continue;
        if (static_cast<uint8_t>(pair.db[i]) != dbCopy[i]) {
            ADD_FAILURE() << "the copy changed at " << i;
            break;
        }
    }
    EXPECT_TRUE(wal == std::string(walCopy.begin(), walCopy.end()));
}

INSTANTIATE_TEST_SUITE_P(Cases, BrowserWalScan, ::testing::ValuesIn(kScanCases),
                         [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.name); });

// Over the read limit, a -wal is named as the database is, and its database
// is not listed: without its -wal it is not the database the browser sees.
TEST_F(BrowserWalScan, AWalOverTheLimitIsNamedAndItsDatabaseSkipped) {
    const WalPair pair = MakeWalPair(Scratch(), {kAddThree});
    const std::u16string path = History(), walPath = History() + u"-wal";
    Put(path, pair.db);
    Put(walPath, "");
    std::filesystem::resize_file(RealPath(walPath), engine::kDatabaseReadLimit + 1);
    engine::ScanBrowsers(m_fake.files, m_state, m_view, seam::kRecent);
    EXPECT_TRUE(RowsOf(path).empty());
    ASSERT_EQ(1u, m_state.Notes().size());
    EXPECT_EQ(engine::NoteKind::TooLarge, m_state.Notes()[0].kind);
    EXPECT_EQ(walPath, m_state.Notes()[0].path);
    // At the limit it is read.
    std::filesystem::resize_file(RealPath(walPath), pair.wal.size());
    Put(walPath, pair.wal);
    m_state.ClearNotes();
    engine::ScanBrowsers(m_fake.files, m_state, m_view, seam::kRecent);
    EXPECT_EQ(kWithThree, Listed(path));
    EXPECT_TRUE(m_state.Notes().empty());
}

// Many connections over memory files at once, from several threads: each
// reads its own pair.
TEST_F(BrowserWalScan, ConnectionsOnSeveralThreadsReadTheirOwnPairs) {
    const WalPair three = MakeWalPair(Scratch(), {kAddThree});
    const WalPair deleted = MakeWalPair(Scratch(), {kDeleteTwo});
    std::vector<std::thread> threads;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            const WalPair& pair = t % 2 ? three : deleted;
            for (int i = 0; i < 10; ++i) {
                std::vector<uint8_t> db(pair.db.begin(), pair.db.end()), wal(pair.wal.begin(), pair.wal.end());
                engine::CSqliteDb copy;
                std::atomic<bool> go{true};
                if (!copy.OpenCopy(db, wal)) ++wrong;
                const size_t expected = t % 2 ? 5 : 2;
                const size_t urls = engine::ReadRecords(copy, engine::DatabaseKind::History, go).size();
                if (urls != expected) ++wrong;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(0, wrong.load());
}

// Cleaning a database the browser has written a -wal to: SQLite sees the
// -wal through the real file; after the commit the -wal is checkpointed and
// cut, and what went was overwritten, so the removed texts are in neither
// file. The other rows stay.
struct CleanCase {
    const char* name;
    int64_t id;             // the address cleaned
    Texts gone;             // its texts, and its search term's
    bool bReaderHolds;      // the browser holds a read of the -wal meanwhile
    int64_t left;           // addresses and terms left
};

const CleanCase kCleanCases[] = {
    {"ARowOnlyInTheWal", 3, {"https://wal.example/three", "wal term"}, false, 3},
    {"ARowInTheDatabaseFile", 2, {"https://base.example/two"}, false, 4},
    {"ARowOnlyInTheWalWhileTheBrowserReads", 3, {"https://wal.example/three", "wal term"}, true, 3},
};

class BrowserWalClean : public fakes::BrowserFixture, public ::testing::WithParamInterface<CleanCase> {
protected:
    BrowserWalClean() {
        m_state.m_bAnalysed.store(false);
        m_state.SetEnabled(seam::kProcess, false);
        m_state.SetEnabled(seam::kGrid, false);
    }
};

TEST_P(BrowserWalClean, TheRemovedTextsAreInNeitherFile) {
    const CleanCase& c = GetParam();
    const std::u16string path = ProfileFolder(kChrome, u"Default") + u"\\History";
    const std::u16string walPath = path + u"-wal";
    Put(path, "");
    // The browser's connection stays open, so its -wal is not checkpointed
    // when it closes.
    TestDb browser(RealPath(path));
    browser.Exec("PRAGMA synchronous=OFF; PRAGMA page_size=" + std::to_string(kPageSize));
    browser.Exec(fakes::kCurrentHistorySchema);
    browser.Exec(kBase);
    browser.Exec("PRAGMA journal_mode=WAL; PRAGMA wal_checkpoint(TRUNCATE); PRAGMA wal_autocheckpoint=0;");
    browser.Exec(kAddThree);
    ASSERT_EQ(std::string::npos, FileBytes(path).find("wal.example/three"));
    ASSERT_NE(std::string::npos, FileBytes(walPath).find("wal.example/three"));

    Pass();
    bool bListed = false;
    for (const auto& row : RowsOf(path)) bListed |= row.target.name == "urls" && row.target.id == c.id;
    ASSERT_TRUE(bListed) << "the row is listed before it is cleaned";
    LeaveOutAllBut([&](const seam::TraceItem& row) {
        return row.target.path == path && row.target.name == "urls" && row.target.id == c.id;
    });
    ASSERT_EQ(1u, Rows().size());
    if (c.bReaderHolds) browser.Exec("BEGIN; SELECT count(*) FROM urls;");
    Pass();
    if (c.bReaderHolds) browser.Exec("COMMIT");

    // The row went (and its search term with it); the others stay.
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(0, browser.Scalar("SELECT count(*) FROM urls WHERE id = " + std::to_string(c.id)));
    EXPECT_EQ(c.left, browser.Scalar("SELECT count(*) FROM urls") + browser.Scalar("SELECT count(*) FROM keyword_search_terms"))
        << "three addresses and two terms were there; one address went, with its term when it had one";
    if (c.bReaderHolds) {
        // The rows are out of the database, but the browser's read kept the
        // -wal from being emptied: it still holds their texts, and the pass
        // says which file stays.
        EXPECT_EQ(engine::StatusCleanFilesLeft(1, walPath), m_state.StatusText());
        ASSERT_EQ(1u, m_state.Notes().size());
        EXPECT_EQ(engine::NoteKind::FileLeft, m_state.Notes()[0].kind);
        EXPECT_EQ(walPath, m_state.Notes()[0].path);
        EXPECT_EQ(engine::RowFate::BrowserRunning, m_state.Notes()[0].why);
        EXPECT_NE(std::string::npos, FileBytes(walPath).find(c.gone[0]));
        return;
    }
    EXPECT_EQ(engine::StatusCleanDone(), m_state.StatusText());
    EXPECT_TRUE(m_state.Notes().empty());
    const std::string db = FileBytes(path), wal = FileBytes(walPath);
    EXPECT_TRUE(wal.empty()) << "the -wal is cut to nothing";
    for (const std::string& text : c.gone) {
        EXPECT_EQ(std::string::npos, db.find(text)) << text << " is still in the database file";
        EXPECT_EQ(std::string::npos, wal.find(text)) << text << " is still in the -wal";
    }
    // The texts that stay are still there to be found.
    EXPECT_NE(std::string::npos, db.find("https://base.example/one"));
}

INSTANTIATE_TEST_SUITE_P(Cases, BrowserWalClean, ::testing::ValuesIn(kCleanCases),
                         [](const ::testing::TestParamInfo<CleanCase>& info) { return std::string(info.param.name); });

}  // namespace
