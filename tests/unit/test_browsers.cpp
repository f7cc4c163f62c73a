// The browsers' rows at analysis: the real History and Web Data files of the
// shared test data and databases of today's schemas, in the profile folders
// of Edge, Chrome and Whale; what each row says and aims at.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "engine/browsers/BrowserProfiles.h"
#include "engine/browsers/BrowserRows.h"
#include "engine/core/ValueText.h"
#include "seam/Text.h"
#include "tests/fakes/BrowserFixture.h"
#include "tests/fakes/CurrentSchema.h"

namespace {

using fakes::ProfileFolder;
using fakes::TestDb;

constexpr size_t kEdge = 0, kChrome = 1, kWhale = 2;

std::string Cp(const std::string& utf8) { return seam::Cp949FromUtf8(utf8); }

class BrowserScan : public fakes::BrowserFixture {
protected:
    void ScanRecent() { m_categories.Scan(seam::kRecent); }
    void ScanRegistry() { m_categories.Scan(seam::kRegistry); }

    // (table, id) of every row of `path`, sorted.
    std::vector<std::string> Ids(const std::u16string& path) {
        std::vector<std::string> ids;
        for (const auto& row : RowsOf(path)) ids.push_back(row.target.name + ":" + std::to_string(row.target.id));
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    // The same, as SQLite reads the file in the test.
    std::vector<std::string> IdsInFile(const std::u16string& path, const std::vector<std::string>& queries) {
        TestDb db(RealPath(path));
        std::vector<std::string> ids;
        for (const std::string& query : queries) {
            for (const std::string& row : db.Rows(query)) ids.push_back(row);
        }
        std::sort(ids.begin(), ids.end());
        return ids;
    }
    const seam::TraceItem* Find(const std::u16string& path, const std::string& table, int64_t id) {
        m_rows = Rows();
        for (const auto& row : m_rows) {
            if (row.target.path == path && row.target.name == table && row.target.id == id) return &row;
        }
        return nullptr;
    }
    void MakeLogins(const std::u16string& path) {
        Put(path, "");
        TestDb db(RealPath(path));
        db.Exec(fakes::kCurrentLoginSchema);
        db.Exec("INSERT INTO logins (origin_url, username_value, password_value, signon_realm, date_created, "
                "blacklisted_by_user, scheme) VALUES "
                "('https://nid.naver.com/nidlogin.login', 'haneul', X'76313073454352455431', 'https://nid.naver.com/', 1, 0, 0),"
                "('https://nid.naver.com/nidlogin.login', 'haneul.kim', X'76313073454352455432', 'https://nid.naver.com/', 2, 0, 0),"
                "('https://www.daum.net/', '김하늘', X'76313073454352455433', 'https://www.daum.net/', 3, 0, 0)");
    }

    std::vector<seam::TraceItem> m_rows;
};

// Every address and search term of two real History files (schemas 20 and
// 16) is one RECENT row of its own, with the texts the user reads.
TEST_F(BrowserScan, RealHistoryFilesListEveryAddressAndSearchTerm) {
    const std::u16string chrome = ProfileFolder(kChrome, u"Default") + u"\\History";
    const std::u16string edge = ProfileFolder(kEdge, u"Profile 1") + u"\\History";
    PutShared(ProfileFolder(kChrome, u"Default"), u"History", "files/chromium/History");
    PutShared(ProfileFolder(kEdge, u"Profile 1"), u"History", "files/chromium/History-hindsight-01");
    ScanRecent();

    const std::vector<std::string> queries = {"SELECT 'urls:' || id FROM urls",
                                              "SELECT 'keyword_search_terms:' || rowid FROM keyword_search_terms"};
    const auto chromeIds = IdsInFile(chrome, queries);
    ASSERT_EQ(55u + 3u, chromeIds.size());
    EXPECT_EQ(chromeIds, Ids(chrome));
    const auto edgeIds = IdsInFile(edge, queries);
    ASSERT_GE(edgeIds.size(), 40u);
    EXPECT_EQ(edgeIds, Ids(edge));
    EXPECT_EQ(static_cast<int>(chromeIds.size() + edgeIds.size()), m_state.Count(seam::kRecent));
    EXPECT_EQ(0, m_state.Count(seam::kRegistry));

    TestDb db(RealPath(chrome));
    const auto first = db.Rows("SELECT id, url, title FROM urls ORDER BY id LIMIT 1");
    ASSERT_EQ(1u, first.size());
    const int64_t id = std::stoll(first[0]);
    const std::string url = db.Rows("SELECT url FROM urls WHERE id = " + std::to_string(id))[0];
    const std::string title = db.Rows("SELECT IFNULL(title, '') FROM urls WHERE id = " + std::to_string(id))[0];
    const seam::TraceItem* row = Find(chrome, "urls", id);
    ASSERT_NE(nullptr, row);
    EXPECT_EQ(engine::TextForCell(Cp(url)), row->Name());
    EXPECT_EQ(url, row->target.rowKey);
    EXPECT_EQ(Cp("구글 크롬 (Default)"), row->text[seam::kColRead]);
    EXPECT_EQ("RECENT", row->Code());
    EXPECT_EQ(seam::Cp949FromUtf16(chrome), row->text[seam::kColRegKey]);
    EXPECT_EQ("urls " + std::to_string(id), row->text[seam::kColValue]);
    EXPECT_EQ(engine::TextForCell(Cp(title)), row->text[seam::kColData]);

    const auto term = db.Rows("SELECT rowid, url_id, term FROM keyword_search_terms ORDER BY rowid LIMIT 1");
    ASSERT_EQ(1u, term.size());
    const int64_t termId = std::stoll(term[0]);
    const seam::TraceItem* termRow = Find(chrome, "keyword_search_terms", termId);
    ASSERT_NE(nullptr, termRow);
    const std::string termText = db.Rows("SELECT term FROM keyword_search_terms WHERE rowid = " + std::to_string(termId))[0];
    EXPECT_EQ(Cp(termText), termRow->Name());
    EXPECT_EQ(termText, termRow->target.rowKey);
    EXPECT_EQ(db.Scalar("SELECT url_id FROM keyword_search_terms WHERE rowid = " + std::to_string(termId)),
              termRow->target.parentId);
    EXPECT_EQ(Cp("주소창 검색어"), termRow->text[seam::kColData]);
    const seam::TraceItem* edgeRow = Find(edge, "urls", std::stoll(IdsInFile(edge, {"SELECT min(id) FROM urls"})[0]));
    ASSERT_NE(nullptr, edgeRow);
    EXPECT_EQ(Cp("마이크로소프트 엣지 (Profile 1)"), edgeRow->text[seam::kColRead]);
}

// REGISTRY: each form entry of the real Web Data and each login of both
// login databases; the password is in no text and no target.
TEST_F(BrowserScan, FormEntriesAndLoginsAreRegistryRowsWithoutPasswords) {
    const std::u16string whale = ProfileFolder(kWhale, u"Default");
    PutShared(whale, u"Web Data", "files/chromium/Web Data");
    MakeLogins(whale + u"\\Login Data");
    MakeLogins(whale + u"\\Login Data For Account");
    ScanRegistry();

    const std::u16string webData = whale + u"\\Web Data";
    TestDb forms(RealPath(webData));
    const auto entries = forms.Rows("SELECT rowid, name, value FROM autofill ORDER BY rowid");
    ASSERT_EQ(3u, entries.size());
    const auto formRows = RowsOf(webData);
    ASSERT_EQ(3u, formRows.size());
    for (const auto& row : formRows) {
        EXPECT_EQ("REGISTRY", row.Code());
        EXPECT_EQ("autofill", row.target.name);
        const std::string id = std::to_string(row.target.id);
        EXPECT_EQ(forms.Rows("SELECT name FROM autofill WHERE rowid = " + id)[0], row.target.rowKey);
        EXPECT_EQ(forms.Rows("SELECT value FROM autofill WHERE rowid = " + id)[0], row.target.rowValue);
        // Held as the database holds them; shown in code page 949.
        EXPECT_EQ(row.target.rowKey, row.Name());
        EXPECT_EQ(Cp(row.target.rowKey), engine::ShownText(row, seam::kColName));
        EXPECT_EQ(Cp(row.target.rowValue), engine::ShownText(row, seam::kColData));
        EXPECT_EQ(Cp("네이버 웨일 (Default)"), row.text[seam::kColRead]);
    }

    for (const char16_t* name : {u"\\Login Data", u"\\Login Data For Account"}) {
        const auto logins = RowsOf(whale + name);
        ASSERT_EQ(3u, logins.size());
        std::set<std::string> users;
        for (const auto& row : logins) {
            EXPECT_EQ("logins", row.target.name);
            users.insert(seam::Utf8FromCp949(engine::ShownText(row, seam::kColData)));
            for (const auto& text : row.text) EXPECT_EQ(std::string::npos, text.find("SECRET"));
            EXPECT_EQ(std::string::npos, row.target.rowKey.find("SECRET"));
            EXPECT_EQ(std::string::npos, row.target.rowValue.find("SECRET"));
        }
        EXPECT_EQ((std::set<std::string>{"haneul", "haneul.kim", "김하늘"}), users);
    }
    EXPECT_EQ(9, m_state.Count(seam::kRegistry));
    EXPECT_EQ(0, m_state.Count(seam::kRecent));
}

// Profiles are the folders that hold a database, in every browser; the
// other folders of `User Data` and any other file are not read.
TEST_F(BrowserScan, ProfilesAreTheFoldersHoldingTheDatabases) {
    PutShared(ProfileFolder(kEdge, u"Default"), u"History", "files/chromium/History");
    PutShared(ProfileFolder(kChrome, u"Profile 3"), u"History", "files/chromium/History");
    PutShared(ProfileFolder(kWhale, u"Guest Profile"), u"Web Data", "files/chromium/Web Data");
    PutShared(ProfileFolder(kChrome, u"Crashpad"), u"metadata", "files/chromium/History");
    PutShared(ProfileFolder(kChrome, u"Default"), u"Bookmarks", "files/chromium/History");

    const auto profiles = engine::FindProfiles(m_fake.files);
    std::vector<std::string> names;
    for (const auto& profile : profiles)
        names.push_back(std::string(profile.browser->exe) + "/" + seam::Utf8FromUtf16(profile.name));
    EXPECT_EQ((std::vector<std::string>{"msedge.exe/Default", "chrome.exe/Profile 3", "whale.exe/Guest Profile"}),
              names);
    ScanRecent();
    EXPECT_EQ(2u * 58u, Rows().size());
}

// A database of today's schema, built in the test, lists the same way.
TEST_F(BrowserScan, TodaysSchemaListsAddressesAndTerms) {
    const std::u16string path = ProfileFolder(kChrome, u"Default") + u"\\History";
    Put(path, "");
    {
        TestDb db(RealPath(path));
        db.Exec(fakes::kCurrentHistorySchema);
        db.Exec("INSERT INTO urls (url, title, last_visit_time) VALUES ('https://www.naver.com/', '네이버', 1),"
                "('https://search.naver.com/search.naver?query=%EB%82%A0%EC%94%A8', '날씨 : 네이버 검색', 2)");
        db.Exec("INSERT INTO keyword_search_terms VALUES (2, 2, '날씨', '날씨')");
    }
    ScanRecent();
    const auto rows = RowsOf(path);
    ASSERT_EQ(3u, rows.size());
    const seam::TraceItem* weather = Find(path, "urls", 2);
    ASSERT_NE(nullptr, weather);
    EXPECT_EQ(Cp("날씨 : 네이버 검색"), engine::ShownText(*weather, seam::kColData));
    const seam::TraceItem* term = Find(path, "keyword_search_terms", 1);
    ASSERT_NE(nullptr, term);
    EXPECT_EQ(Cp("날씨"), engine::ShownText(*term, seam::kColName));
    EXPECT_EQ(Cp("주소창 검색어"), engine::ShownText(*term, seam::kColData));
    EXPECT_EQ(2, term->target.parentId);
}

// A 2 MB address is one row whose cell is cut (and whose target keeps the
// whole address); names code page 949 cannot spell show with '?', and a
// profile folder so named is still read.
TEST_F(BrowserScan, LongAddressesAndUnspellableNames) {
    const std::u16string folder = ProfileFolder(kChrome, u"Profile \u0E01");
    const std::u16string path = folder + u"\\History";
    const std::string longUrl = "https://example.com/?q=" + std::string(2 * 1024 * 1024, 'a');
    Put(path, "");
    {
        TestDb db(RealPath(path));
        db.Exec(fakes::kCurrentHistorySchema);
        sqlite3_stmt* stmt = nullptr;
        ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db.Get(), "INSERT INTO urls (url, title, last_visit_time) VALUES (?, ?, 1)",
                                                -1, &stmt, nullptr));
        sqlite3_bind_text(stmt, 1, longUrl.c_str(), static_cast<int>(longUrl.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, "\xE2\x80\x8B", -1, SQLITE_TRANSIENT);
        EXPECT_EQ(SQLITE_DONE, sqlite3_step(stmt));
        sqlite3_finalize(stmt);
        db.Exec("INSERT INTO urls (url, title, last_visit_time) VALUES ('https://th.example/\xE0\xB8\x81', "
                "'\xE0\xB8\x81\xE0\xB8\x82 \xF0\x9F\x98\x80', 2)");
    }
    ScanRecent();
    const seam::TraceItem* big = Find(path, "urls", 1);
    ASSERT_NE(nullptr, big);
    const std::string bigCell = engine::ShownText(*big, seam::kColName);
    EXPECT_EQ(259u, bigCell.size());
    EXPECT_EQ(0u, bigCell.rfind("https://example.com/?q=aaaa", 0));
    EXPECT_EQ(longUrl, big->target.rowKey);
    const seam::TraceItem* thai = Find(path, "urls", 2);
    ASSERT_NE(nullptr, thai);
    EXPECT_EQ("https://th.example/?", engine::ShownText(*thai, seam::kColName));
    EXPECT_EQ("?? ?", engine::ShownText(*thai, seam::kColData));
    EXPECT_EQ(Cp("구글 크롬 (Profile ?)"), thai->text[seam::kColRead]);
    EXPECT_EQ("https://th.example/\xE0\xB8\x81", thai->target.rowKey);
    EXPECT_EQ(path, thai->target.path);

    // Cleaning finds both by their whole texts.
    m_state.SetCount(seam::kRecent, static_cast<int32_t>(Rows().size()));
    Pass();
    EXPECT_EQ(0u, RowsOf(path).size());
    TestDb db(RealPath(path));
    EXPECT_EQ(0, db.Scalar("SELECT count(*) FROM urls"));
}

// The scan stops between rows when the analysis is called off.
TEST_F(BrowserScan, AnalysisCalledOffStopsTheScan) {
    PutShared(ProfileFolder(kChrome, u"Default"), u"History", "files/chromium/History");
    m_state.m_bAnalysed.store(false);
    ScanRecent();
    EXPECT_EQ(0u, Rows().size());
}

}  // namespace
