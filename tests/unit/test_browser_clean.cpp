// Cleaning the browsers' rows: exactly the chosen rows go, with what refers
// to them, one transaction per database; every other row of every table of
// every database stays as it was. A running browser keeps its rows unless
// the same pass ends it first.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "engine/browsers/BrowserClean.h"
#include "engine/browsers/BrowserRows.h"
#include "engine/core/StatusTexts.h"
#include "engine/kinds/TraceChoice.h"
#include "seam/Text.h"
#include "tests/fakes/BrowserFixture.h"
#include "tests/fakes/CurrentSchema.h"

namespace {

using fakes::ProfileFolder;
using fakes::TestDb;
using Dump = std::map<std::string, std::vector<std::string>>;

constexpr size_t kEdge = 0, kChrome = 1, kWhale = 2;

std::string IdList(const std::vector<int64_t>& ids) {
    std::string list;
    for (int64_t id : ids) list += (list.empty() ? "" : ",") + std::to_string(id);
    return list;
}

class BrowserClean : public fakes::BrowserFixture {
protected:
    BrowserClean() {
        m_state.m_bAnalysed.store(false);
        m_state.SetEnabled(seam::kProcess, false);
        m_state.SetEnabled(seam::kGrid, false);
    }
    // A copy of the database at `path` outside the profile, for the test's
    // own idea of what cleaning must leave.
    std::string Copy(const std::u16string& path, const std::string& name) {
        const std::string target = RealPath(fakes::kLocalAppData) + "/../expected-" + name;
        std::filesystem::copy_file(RealPath(path), target, std::filesystem::copy_options::overwrite_existing);
        return target;
    }
    Dump DumpOf(const std::string& real) {
        TestDb db(real);
        return db.Dump();
    }
    // Each table that differs, by name, for a readable failure.
    static void ExpectSame(const Dump& expected, const Dump& actual) {
        ASSERT_EQ(expected.size(), actual.size());
        for (const auto& [table, rows] : expected) {
            auto it = actual.find(table);
            ASSERT_NE(actual.end(), it) << table;
            EXPECT_EQ(rows, it->second) << "table " << table << " differs";
        }
    }
    bool IsUrl(const seam::TraceItem& row, const std::u16string& path, const std::vector<int64_t>& ids) {
        return row.target.path == path && row.target.name == "urls" &&
               std::find(ids.begin(), ids.end(), row.target.id) != ids.end();
    }
    void MakeCurrentHistory(const std::u16string& path) {
        Put(path, "");
        TestDb db(RealPath(path));
        db.Exec(fakes::kCurrentHistorySchema);
        db.Exec(R"sql(
            INSERT INTO urls (id, url, title, last_visit_time) VALUES
              (1, 'https://www.naver.com/', '네이버', 10), (2, 'https://news.naver.com/', '뉴스', 20),
              (3, 'https://www.daum.net/', 'Daum', 30);
            INSERT INTO visits (id, url, visit_time, from_visit, segment_id, visited_link_id, originator_visit_id) VALUES
              (1, 1, 10, 0, 1, 1, 3), (2, 2, 20, 1, 2, 2, 1), (3, 1, 11, 0, 1, 1, 0), (4, 3, 30, 0, 3, 3, 2);
            INSERT INTO visit_source VALUES (1, 0), (2, 0), (3, 1), (4, 0);
            INSERT INTO keyword_search_terms VALUES (2, 1, '네이버', '네이버'), (2, 3, '다음', '다음');
            INSERT INTO segments VALUES (1, 'http://naver.com/', 1), (2, 'http://news.naver.com/', 2), (3, 'http://daum.net/', 3);
            INSERT INTO segment_usage VALUES (1, 1, 100, 2), (2, 2, 100, 1), (3, 3, 100, 1);
            INSERT INTO content_annotations (visit_id, annotation_flags, has_url_keyed_image) VALUES (1, 0, 0), (2, 0, 0), (4, 0, 0);
            INSERT INTO context_annotations (visit_id, context_annotation_flags) VALUES (1, 0), (3, 0), (4, 0);
            INSERT INTO clusters (cluster_id, should_show_on_prominent_ui_surfaces, label, raw_label,
                                  triggerability_calculated, originator_cache_guid, originator_cluster_id)
              VALUES (1, 1, 'naver', 'naver', 1, '', 0);
            INSERT INTO clusters_and_visits (cluster_id, visit_id, url_for_deduping, normalized_url, url_for_display)
              VALUES (1, 1, 'a', 'a', 'a'), (1, 2, 'b', 'b', 'b'), (1, 4, 'c', 'c', 'c');
            INSERT INTO cluster_keywords VALUES (1, 'naver', 0, 1, '');
            INSERT INTO cluster_visit_duplicates VALUES (2, 3), (4, 2);
            INSERT INTO visited_links (id, link_url_id, top_level_url, frame_url, visit_count) VALUES
              (1, 1, 'https://www.naver.com/', 'https://www.naver.com/', 2), (2, 2, 'x', 'x', 1), (3, 3, 'y', 'y', 1);
            INSERT INTO downloads (id, guid, current_path, target_path, start_time, received_bytes, total_bytes, state,
              danger_type, interrupt_reason, hash, end_time, opened, last_access_time, transient, referrer, site_url,
              embedder_download_data, tab_url, tab_referrer_url, http_method, by_ext_id, by_ext_name, by_web_app_id,
              etag, last_modified, mime_type, original_mime_type)
              VALUES (1, 'g', 'C:\a.zip', 'C:\a.zip', 1, 1, 1, 1, 0, 0, X'', 1, 0, 0, 0, 'https://www.naver.com/',
                      'https://www.naver.com/', '', 'https://www.naver.com/', '', 'GET', '', '', '', '', '', '', '');
            INSERT INTO downloads_url_chains VALUES (1, 0, 'https://www.naver.com/');
            INSERT INTO typed_url_sync_metadata VALUES (1, X'01');
            INSERT INTO history_sync_metadata VALUES (10, X'02');
        )sql");
    }
};

// Two real History files and the real Web Data in the profiles of all three
// browsers; two addresses and one form entry are cleaned. The test's own
// copy, with the rows it knows must go deleted by hand, equals what cleaning
// left, table by table; the other databases are byte for byte as they were.
TEST_F(BrowserClean, OnlyTheChosenRowsAndWhatRefersToThemGo) {
    const std::u16string chrome = ProfileFolder(kChrome, u"Default") + u"\\History";
    const std::u16string edge = ProfileFolder(kEdge, u"Default") + u"\\History";
    const std::u16string whale = ProfileFolder(kWhale, u"Default") + u"\\Web Data";
    const std::u16string whaleHistory = ProfileFolder(kWhale, u"Default") + u"\\History";
    PutShared(ProfileFolder(kChrome, u"Default"), u"History", "files/chromium/History");
    PutShared(ProfileFolder(kEdge, u"Default"), u"History", "files/chromium/History-hindsight-01");
    PutShared(ProfileFolder(kWhale, u"Default"), u"Web Data", "files/chromium/Web Data");
    PutShared(ProfileFolder(kWhale, u"Default"), u"History", "files/chromium/History");
    const std::string edgeBefore = FileBytes(edge), whaleHistoryBefore = FileBytes(whaleHistory);

    // The two addresses with the most visits, and the first form entry.
    std::vector<int64_t> chosen;
    {
        TestDb db(RealPath(chrome));
        for (const std::string& id : db.Rows("SELECT url FROM visits GROUP BY url ORDER BY count(*) DESC, url LIMIT 2"))
            chosen.push_back(std::stoll(id));
        ASSERT_GT(db.Scalar("SELECT count(*) FROM visits WHERE url IN (" + IdList(chosen) + ")"), 2);
    }
    int64_t form = 0;
    std::string formName, formValue;
    {
        TestDb db(RealPath(whale));
        form = db.Scalar("SELECT min(rowid) FROM autofill");
        formName = db.Rows("SELECT name FROM autofill WHERE rowid = " + std::to_string(form))[0];
        formValue = db.Rows("SELECT value FROM autofill WHERE rowid = " + std::to_string(form))[0];
    }
    const std::string chromeExpected = Copy(chrome, "chrome");
    const std::string whaleExpected = Copy(whale, "whale");
    {
        const std::string ids = IdList(chosen);
        TestDb db(chromeExpected);
        db.Exec("DELETE FROM visit_source WHERE id IN (SELECT id FROM visits WHERE url IN (" + ids + "));"
                "DELETE FROM segment_usage WHERE segment_id IN (SELECT id FROM segments WHERE url_id IN (" + ids + "));"
                "DELETE FROM segments WHERE url_id IN (" + ids + ");"
                "DELETE FROM presentation WHERE url_id IN (" + ids + ");"
                "DELETE FROM keyword_search_terms WHERE url_id IN (" + ids + ");"
                "DELETE FROM visits WHERE url IN (" + ids + ");"
                "DELETE FROM urls WHERE id IN (" + ids + ");");
        TestDb forms(whaleExpected);
        forms.Exec("DELETE FROM autofill WHERE rowid = " + std::to_string(form));
    }

    Pass();
    const int listed = static_cast<int>(Rows().size());
    ASSERT_GT(listed, 100);
    LeaveOutAllBut([&](const seam::TraceItem& row) {
        return IsUrl(row, chrome, chosen) || (row.target.path == whale && row.target.id == form);
    });
    ASSERT_EQ(3u, Rows().size());
    Pass();

    EXPECT_EQ(0u, Rows().size());
    EXPECT_EQ(engine::StatusCleanDone(), m_state.StatusText());
    ExpectSame(DumpOf(chromeExpected), DumpOf(RealPath(chrome)));
    ExpectSame(DumpOf(whaleExpected), DumpOf(RealPath(whale)));
    EXPECT_EQ(edgeBefore, FileBytes(edge));
    EXPECT_EQ(whaleHistoryBefore, FileBytes(whaleHistory));
    TestDb forms(RealPath(whale));
    EXPECT_EQ(0, forms.Scalar("SELECT count(*) FROM autofill WHERE name = '" + formName + "' AND value = '" + formValue + "'"));
    // No journal or temporary file is left beside the databases.
    std::vector<seam::FileEntry> entries;
    m_fake.files.ListFolder(ProfileFolder(kChrome, u"Default"), entries);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(u"History", entries[0].name);
}

// Today's schema: a removed address takes its visits and every row of any
// table pointing at them or at it (annotations, clusters, duplicates,
// visited links, segments and their usage, terms); downloads (which name
// addresses as text), sync data and the other addresses stay.
TEST_F(BrowserClean, TodaysSchemaReferringTablesComeFromTheSchema) {
    const std::u16string path = ProfileFolder(kChrome, u"Default") + u"\\History";
    MakeCurrentHistory(path);
    const std::string expected = Copy(path, "current");
    {
        TestDb db(expected);
        db.Exec(R"sql(
            DELETE FROM visit_source WHERE id IN (1, 3);
            DELETE FROM content_annotations WHERE visit_id IN (1, 3);
            DELETE FROM context_annotations WHERE visit_id IN (1, 3);
            DELETE FROM clusters_and_visits WHERE visit_id IN (1, 3);
            DELETE FROM cluster_visit_duplicates WHERE visit_id IN (1, 3) OR duplicate_visit_id IN (1, 3);
            DELETE FROM visited_links WHERE link_url_id = 1;
            DELETE FROM segment_usage WHERE segment_id = 1;
            DELETE FROM segments WHERE url_id = 1;
            DELETE FROM keyword_search_terms WHERE url_id = 1;
            DELETE FROM visits WHERE url = 1;
            DELETE FROM urls WHERE id = 1;
        )sql");
    }
    Pass();
    LeaveOutAllBut([&](const seam::TraceItem& row) { return IsUrl(row, path, {1}); });
    Pass();
    ExpectSame(DumpOf(expected), DumpOf(RealPath(path)));
    TestDb db(RealPath(path));
    EXPECT_EQ(1, db.Scalar("SELECT count(*) FROM downloads_url_chains WHERE url = 'https://www.naver.com/'"));
    EXPECT_EQ(2, db.Scalar("SELECT count(*) FROM urls"));
}

// A search term chosen alone goes alone: its address and the visits stay.
TEST_F(BrowserClean, ASearchTermAloneLeavesItsAddress) {
    const std::u16string path = ProfileFolder(kChrome, u"Default") + u"\\History";
    MakeCurrentHistory(path);
    const std::string expected = Copy(path, "term");
    {
        TestDb db(expected);
        db.Exec("DELETE FROM keyword_search_terms WHERE term = '다음'");
    }
    Pass();
    LeaveOutAllBut([&](const seam::TraceItem& row) {
        return row.target.name == "keyword_search_terms" && row.target.rowKey == "다음";
    });
    ASSERT_EQ(1u, Rows().size());
    Pass();
    EXPECT_EQ(0u, Rows().size());
    ExpectSame(DumpOf(expected), DumpOf(RealPath(path)));
}

// A removed login takes its notes and insecure-credential marks; the other
// login of the same site keeps its own, and the statistics stay.
TEST_F(BrowserClean, ALoginGoesWithTheRowsPointingAtIt) {
    const std::u16string path = ProfileFolder(kEdge, u"Default") + u"\\Login Data";
    Put(path, "");
    {
        TestDb db(RealPath(path));
        db.Exec(fakes::kCurrentLoginSchema);
        db.Exec("INSERT INTO logins (id, origin_url, username_value, password_value, signon_realm, date_created, "
                "blacklisted_by_user, scheme) VALUES (1, 'https://nid.naver.com/', 'a', X'01', 'https://nid.naver.com/', 1, 0, 0),"
                "(2, 'https://nid.naver.com/', 'b', X'02', 'https://nid.naver.com/', 1, 0, 0);"
                "INSERT INTO password_notes (parent_id, key, value, date_created) VALUES (1, 'note', X'aa', 1), (2, 'note', X'bb', 1);"
                "INSERT INTO insecure_credentials (parent_id, insecurity_type, create_time) VALUES (1, 0, 1), (2, 1, 1);"
                "INSERT INTO stats VALUES ('naver.com', 'a', 1, 1);");
    }
    const std::string expected = Copy(path, "logins");
    {
        TestDb db(expected);
        db.Exec("DELETE FROM password_notes WHERE parent_id = 1; DELETE FROM insecure_credentials WHERE parent_id = 1;"
                "DELETE FROM logins WHERE id = 1;");
    }
    Pass();
    const auto rows = RowsOf(path);
    ASSERT_EQ(2u, rows.size());
    EXPECT_FALSE(engine::RemovedTogether(rows[0], rows[1]));
    LeaveOutAllBut([&](const seam::TraceItem& row) { return row.target.path == path && row.target.id == 1; });
    Pass();
    ExpectSame(DumpOf(expected), DumpOf(RealPath(path)));
    EXPECT_EQ(0, m_state.Count(seam::kRegistry));
}

// Linked ticking by target: an address and the terms typed for it go
// together; two addresses, a term of another address, and rows of two
// databases do not; the IntelliForms keys still do.
TEST_F(BrowserClean, RowsRemovedTogetherFollowTheirTargets) {
    const std::u16string path = ProfileFolder(kChrome, u"Default") + u"\\History";
    MakeCurrentHistory(path);
    m_state.m_bAnalysed.store(true);
    m_categories.Scan(seam::kRecent);
    auto find = [&](const std::string& table, int64_t id) {
        for (const auto& row : Rows())
            if (row.target.name == table && row.target.id == id) return row;
        ADD_FAILURE() << table << " " << id;
        return seam::TraceItem{};
    };
    const seam::TraceItem naver = find("urls", 1), daum = find("urls", 3);
    const seam::TraceItem naverTerm = find("keyword_search_terms", 1), daumTerm = find("keyword_search_terms", 2);
    EXPECT_TRUE(engine::RemovedTogether(naver, naverTerm));
    EXPECT_TRUE(engine::RemovedTogether(daumTerm, daum));
    EXPECT_FALSE(engine::RemovedTogether(naver, daumTerm));
    EXPECT_FALSE(engine::RemovedTogether(naver, daum));
    EXPECT_FALSE(engine::RemovedTogether(naverTerm, daumTerm));
    seam::TraceItem elsewhere = naverTerm;
    elsewhere.target.path = ProfileFolder(kEdge, u"Default") + u"\\History";
    EXPECT_FALSE(engine::RemovedTogether(naver, elsewhere));
    seam::TraceItem formsA, formsB;
    formsA.target.kind = formsB.target.kind = seam::TargetKind::RegKeyTree;
    EXPECT_TRUE(engine::RemovedTogether(formsA, formsB));
}

// When the last address of a profile goes, the files that repeat the
// history go too; while one address stays, they stay.
TEST_F(BrowserClean, TheLastAddressTakesTheCompanionFiles) {
    const std::u16string folder = ProfileFolder(kWhale, u"Profile 2");
    const std::u16string path = folder + u"\\History";
    MakeCurrentHistory(path);
    const char16_t* companions[] = {u"Visited Links", u"Top Sites", u"Top Sites-journal", u"Shortcuts",
                                    u"Shortcuts-journal"};
    for (const char16_t* name : companions) Put(folder + u"\\" + name, "x");
    Put(folder + u"\\Bookmarks", "{}");
    Put(folder + u"\\Web Data-journal", "j");

    Pass();
    LeaveOutAllBut([&](const seam::TraceItem& row) { return IsUrl(row, path, {1, 2}); });
    Pass();
    for (const char16_t* name : companions) EXPECT_TRUE(m_fake.files.Exists(folder + u"\\" + name));

    Pass();
    ASSERT_EQ(2u, Rows().size());  // the last address and its term
    Pass();
    EXPECT_EQ(0u, Rows().size());
    for (const char16_t* name : companions) EXPECT_FALSE(m_fake.files.Exists(folder + u"\\" + name)) << seam::Utf8FromUtf16(name);
    EXPECT_TRUE(m_fake.files.Exists(folder + u"\\Bookmarks"));
    EXPECT_TRUE(m_fake.files.Exists(folder + u"\\Web Data-journal"));
    TestDb db(RealPath(path));
    EXPECT_EQ(0, db.Scalar("SELECT count(*) FROM urls"));
    EXPECT_EQ(1, db.Scalar("SELECT count(*) FROM downloads"));
}

// The browser runs and the pass does not end it: its rows stay, count as
// not cleaned, the status line says to close it, and its database is
// untouched; another browser's rows go.
TEST_F(BrowserClean, ARunningBrowserKeepsItsRowsAndTheStatusSaysSo) {
    const std::u16string chrome = ProfileFolder(kChrome, u"Default") + u"\\History";
    const std::u16string edge = ProfileFolder(kEdge, u"Default") + u"\\History";
    PutShared(ProfileFolder(kChrome, u"Default"), u"History", "files/chromium/History");
    MakeCurrentHistory(edge);
    m_fake.processes.Add("Chrome.exe");
    const std::string before = FileBytes(chrome);
    Pass();
    LeaveOutAllBut([&](const seam::TraceItem& row) { return IsUrl(row, chrome, {1, 2}) || IsUrl(row, edge, {3}); });
    ASSERT_EQ(3u, Rows().size());
    Pass();

    EXPECT_EQ(before, FileBytes(chrome));
    const auto left = Rows();
    ASSERT_EQ(2u, left.size());
    for (const auto& row : left) EXPECT_EQ(chrome, row.target.path);
    ASSERT_EQ(2u, m_engine.Stayed().size());
    for (const auto& stayed : m_engine.Stayed()) EXPECT_EQ(engine::RowFate::BrowserRunning, stayed.why);
    EXPECT_EQ(engine::StatusCleanBrowserOpen(2), m_state.StatusText());
    EXPECT_EQ(seam::Cp949FromUtf8("분석정리(100%) : 2개 항목은 브라우저를 닫고 다시 정리하세요."),
              m_state.StatusText());
    EXPECT_EQ(2, m_state.Count(seam::kRecent));
    TestDb db(RealPath(edge));
    EXPECT_EQ(0, db.Scalar("SELECT count(*) FROM urls WHERE id = 3"));
}

// The same pass cleans the browser's PROCESS row: the browser is ended
// before its first database is touched, though the walk meets the
// database's rows first, and then everything goes.
TEST_F(BrowserClean, APassThatEndsTheBrowserEndsItFirst) {
    m_state.SetEnabled(seam::kProcess, true);
    const std::u16string path = ProfileFolder(kWhale, u"Default") + u"\\History";
    MakeCurrentHistory(path);
    const uint32_t whale = m_fake.processes.Add("whale.exe");
    const uint32_t other = m_fake.processes.Add("notepad.exe");
    Pass();
    LeaveOutAllBut([&](const seam::TraceItem& row) {
        return IsUrl(row, path, {2}) || (row.target.kind == seam::TargetKind::Process && row.target.name == "whale.exe");
    });
    ASSERT_EQ(2u, Rows().size());
    ASSERT_EQ(seam::TargetKind::DatabaseRow, Rows()[0].target.kind);  // the walk meets it first
    Pass();

    EXPECT_EQ(0u, Rows().size());
    EXPECT_FALSE(m_fake.processes.IsRunning(whale));
    EXPECT_TRUE(m_fake.processes.IsRunning(other));
    EXPECT_EQ((std::vector<uint32_t>{whale}), m_fake.processes.Terminated());
    EXPECT_EQ(engine::StatusCleanDone(), m_state.StatusText());
    TestDb db(RealPath(path));
    EXPECT_EQ(0, db.Scalar("SELECT count(*) FROM urls WHERE id = 2"));
    EXPECT_EQ(0, m_state.Count(seam::kProcess));
    EXPECT_EQ(0, m_state.Count(seam::kRecent));
}

// Another program holds the database locked (as a running browser does,
// under a name the program does not know): the wait is bounded, the rows
// stay, and the status line says to close the browser.
TEST_F(BrowserClean, ALockedDatabaseKeepsItsRowsAfterABoundedWait) {
    const std::u16string path = ProfileFolder(kEdge, u"Default") + u"\\Web Data";
    PutShared(ProfileFolder(kEdge, u"Default"), u"Web Data", "files/chromium/Web Data");
    Pass();
    ASSERT_EQ(3, m_state.Count(seam::kRegistry));
    TestDb holder(RealPath(path));
    holder.Exec("PRAGMA locking_mode=EXCLUSIVE; BEGIN EXCLUSIVE; SELECT count(*) FROM autofill;");
    const std::string before = FileBytes(path);
    const auto start = std::chrono::steady_clock::now();
    Pass();
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_LT(waited, std::chrono::seconds(10));
    EXPECT_EQ(3u, Rows().size());
    EXPECT_EQ(engine::StatusCleanBrowserOpen(3), m_state.StatusText());
    ASSERT_EQ(3u, m_engine.Stayed().size());
    EXPECT_EQ(engine::RowFate::BrowserRunning, m_engine.Stayed()[0].why);
    holder.Exec("ROLLBACK");
    EXPECT_EQ(before, FileBytes(path));
}

// The browser changed the database after the analysis: an address now
// under another id's row stays, a row it removed itself counts as gone, and
// a form entry whose value changed stays; the others go.
TEST_F(BrowserClean, RowsChangedMeanwhileAreRemovedOnlyWhileTheyStillMatch) {
    const std::u16string history = ProfileFolder(kChrome, u"Default") + u"\\History";
    const std::u16string forms = ProfileFolder(kChrome, u"Default") + u"\\Web Data";
    MakeCurrentHistory(history);
    PutShared(ProfileFolder(kChrome, u"Default"), u"Web Data", "files/chromium/Web Data");
    Pass();
    ASSERT_EQ(5, m_state.Count(seam::kRecent));
    ASSERT_EQ(3, m_state.Count(seam::kRegistry));
    LeaveOutAllBut([&](const seam::TraceItem& row) {
        return row.target.name == "urls" || row.target.name == "autofill";
    });
    ASSERT_EQ(6u, Rows().size());
    {
        TestDb db(RealPath(history));
        db.Exec("UPDATE urls SET url = 'https://changed.example/' WHERE id = 2; DELETE FROM urls WHERE id = 3;");
        TestDb web(RealPath(forms));
        db.Exec("SELECT 1");
        web.Exec("UPDATE autofill SET value = 'changed' WHERE rowid = (SELECT min(rowid) FROM autofill)");
    }
    Pass();
    const auto left = Rows();
    ASSERT_EQ(2u, left.size());
    std::set<std::string> names;
    for (const auto& row : left) names.insert(row.target.name);
    EXPECT_EQ((std::set<std::string>{"urls", "autofill"}), names);
    TestDb db(RealPath(history));
    EXPECT_EQ((std::vector<std::string>{"2|https://changed.example/"}), db.Rows("SELECT id, url FROM urls"));
    TestDb web(RealPath(forms));
    EXPECT_EQ((std::vector<std::string>{"changed"}), web.Rows("SELECT value FROM autofill"));
    EXPECT_EQ(engine::StatusCleanFailed(2), m_state.StatusText());
}

// One call with every listed row of a database, some of which the browser
// changed since: each says whether it went, and the database holds exactly
// what the rows that still matched leave.
struct Listed {
    const char* table;
    int64_t id;
    const char* key;
    const char* value;
    bool bGone;
    const char* why;
};

std::vector<engine::RowRemoval> Removals(const std::vector<Listed>& listed) {
    std::vector<engine::RowRemoval> rows;
    for (const Listed& row : listed) {
        engine::RowRemoval removal;
        removal.target.kind = seam::TargetKind::DatabaseRow;
        removal.target.name = row.table;
        removal.target.id = row.id;
        removal.target.rowKey = row.key;
        removal.target.rowValue = row.value;
        rows.push_back(removal);
    }
    return rows;
}

TEST_F(BrowserClean, EachListedRowOfOneCallSaysWhetherItWent) {
    const std::u16string path = ProfileFolder(kChrome, u"Default") + u"\\History";
    MakeCurrentHistory(path);
    {
        TestDb browser(RealPath(path));
        browser.Exec("UPDATE urls SET url = 'https://changed.example/' WHERE id = 2;"
                     "INSERT INTO keyword_search_terms VALUES (2, 2, '뉴스', '뉴스');");
    }
    const std::vector<Listed> listed = {
        {"urls", 1, "https://www.naver.com/", "", true, "as listed"},
        {"urls", 1, "https://www.naver.com/", "", true, "the same row listed twice"},
        {"urls", 2, "https://news.naver.com/", "", false, "its address changed since"},
        {"urls", 9, "https://gone.example/", "", true, "the browser removed it"},
        {"keyword_search_terms", 2, "다음", "", true, "a term as listed, alone"},
        {"keyword_search_terms", 1, "옛 검색어", "", true, "its id another term's now, whose address goes"},
        {"keyword_search_terms", 3, "옛 검색어", "", false, "its id another term's now, whose address stays"},
        {"autofill", 3, "https://www.daum.net/", "", false, "a row no History holds"},
    };
    const std::string expected = Copy(path, "one-call");
    {
        TestDb db(expected);
        db.Exec(R"sql(
            DELETE FROM visit_source WHERE id IN (1, 3);
            DELETE FROM content_annotations WHERE visit_id IN (1, 3);
            DELETE FROM context_annotations WHERE visit_id IN (1, 3);
            DELETE FROM clusters_and_visits WHERE visit_id IN (1, 3);
            DELETE FROM cluster_visit_duplicates WHERE visit_id IN (1, 3) OR duplicate_visit_id IN (1, 3);
            DELETE FROM visited_links WHERE link_url_id = 1;
            DELETE FROM segment_usage WHERE segment_id = 1;
            DELETE FROM segments WHERE url_id = 1;
            DELETE FROM keyword_search_terms WHERE url_id = 1 OR term = '다음';
            DELETE FROM visits WHERE url = 1;
            DELETE FROM urls WHERE id = 1;
        )sql");
    }
    std::vector<engine::RowRemoval> rows = Removals(listed);
    const engine::DatabaseResult result =
        engine::RemoveDatabaseRows(RealPath(path), engine::DatabaseKind::History, rows);
    EXPECT_EQ(engine::DatabaseFate::Cleaned, result.fate);
    EXPECT_FALSE(result.bNoAddressLeft);
    for (size_t i = 0; i < listed.size(); ++i) EXPECT_EQ(listed[i].bGone, rows[i].bGone) << listed[i].why;
    ExpectSame(DumpOf(expected), DumpOf(RealPath(path)));
}

// A form entry is found by its name and value, wherever its rowid is now;
// one whose value changed, or whose rowid another entry took, stays.
TEST_F(BrowserClean, AFormEntryIsFoundByItsTextsWhereverItsRowidIs) {
    const std::u16string path = ProfileFolder(kEdge, u"Default") + u"\\Web Data";
    Put(path, "");
    {
        TestDb db(RealPath(path));
        db.Exec("CREATE TABLE autofill (name VARCHAR, value VARCHAR, value_lower VARCHAR,"
                " date_created INTEGER DEFAULT 0, date_last_used INTEGER DEFAULT 0, count INTEGER DEFAULT 1,"
                " PRIMARY KEY (name, value));"
                "CREATE TABLE keywords (id INTEGER PRIMARY KEY, short_name VARCHAR NOT NULL);"
                "INSERT INTO keywords VALUES (1, '네이버');"
                "INSERT INTO autofill (rowid, name, value) VALUES (1, 'email', 'a@example.com'),"
                " (2, 'email', 'b@example.com'), (3, 'name', '김하늘'), (4, 'phone', '010');"
                // Since the list was made: renumbered, changed, removed, its rowid taken.
                "DELETE FROM autofill WHERE rowid = 1; INSERT INTO autofill (rowid, name, value)"
                " VALUES (7, 'email', 'a@example.com');"
                "UPDATE autofill SET value = 'c@example.com' WHERE rowid = 2;"
                "DELETE FROM autofill WHERE rowid = 3;"
                "DELETE FROM autofill WHERE rowid = 4;"
                "INSERT INTO autofill (rowid, name, value) VALUES (4, 'city', '서울');");
    }
    const std::vector<Listed> listed = {
        {"autofill", 1, "email", "a@example.com", true, "renumbered"},
        {"autofill", 2, "email", "b@example.com", false, "its value changed"},
        {"autofill", 3, "name", "김하늘", true, "the browser removed it"},
        {"autofill", 4, "phone", "010", false, "its rowid another entry's now"},
        {"urls", 4, "city", "", false, "a row no Web Data holds"},
    };
    const std::string expected = Copy(path, "forms");
    {
        TestDb db(expected);
        db.Exec("DELETE FROM autofill WHERE rowid = 7");
    }
    std::vector<engine::RowRemoval> rows = Removals(listed);
    EXPECT_EQ(engine::DatabaseFate::Cleaned,
              engine::RemoveDatabaseRows(RealPath(path), engine::DatabaseKind::Forms, rows).fate);
    for (size_t i = 0; i < listed.size(); ++i) EXPECT_EQ(listed[i].bGone, rows[i].bGone) << listed[i].why;
    ExpectSame(DumpOf(expected), DumpOf(RealPath(path)));
}

// The database went between analysis and cleaning (the user removed the
// profile): its rows went with it.
TEST_F(BrowserClean, ADatabaseThatWentTakesItsRows) {
    const std::u16string forms = ProfileFolder(kEdge, u"Default") + u"\\Web Data";
    PutShared(ProfileFolder(kEdge, u"Default"), u"Web Data", "files/chromium/Web Data");
    Pass();
    ASSERT_EQ(3u, Rows().size());
    ASSERT_EQ(seam::kErrSuccess, m_fake.files.DeleteFile(forms));
    Pass();
    EXPECT_EQ(0u, Rows().size());
    EXPECT_EQ(engine::StatusCleanDone(), m_state.StatusText());
    EXPECT_EQ(0, m_state.Count(seam::kRegistry));
}

// What a pass could not do that is no row of the list is still said: a
// database too large to read, and a companion file that stays when the
// last address went (held open, or read-only).
TEST_F(BrowserClean, ATooLargeDatabaseAndACompanionThatStaysAreNamed) {
    const std::u16string whale = ProfileFolder(kWhale, u"Default");
    const std::u16string huge = ProfileFolder(kChrome, u"Default") + u"\\History";
    MakeCurrentHistory(whale + u"\\History");
    Put(huge, "");
    // Sparse: the size is what the listing shows, not what the disk holds.
    std::filesystem::resize_file(RealPath(huge), engine::kDatabaseReadLimit + 1);
    for (const char16_t* name : {u"Visited Links", u"Top Sites", u"Shortcuts"}) Put(whale + u"\\" + name, "x");

    Pass();
    EXPECT_EQ(engine::StatusAnalysedTooLarge(1, huge), m_state.StatusText());
    EXPECT_NE(std::string::npos, m_state.StatusText().find("(History)")) << m_state.StatusText();
    ASSERT_EQ(1u, m_state.Notes().size());
    EXPECT_EQ(engine::NoteKind::TooLarge, m_state.Notes()[0].kind);
    EXPECT_EQ(huge, m_state.Notes()[0].path);
    for (const auto& row : Rows()) EXPECT_NE(huge, row.target.path);
    ASSERT_FALSE(Rows().empty());

    const struct {
        const char* what;
        void (*hold)(fakes::FakeFileSystem& files, const std::u16string& path);
        engine::RowFate why;
    } kCases[] = {
        {"held open", [](fakes::FakeFileSystem& f, const std::u16string& p) { f.HoldOpen(p); }, engine::RowFate::InUse},
        {"read-only", [](fakes::FakeFileSystem& f, const std::u16string& p) { f.SetAttributes(p, seam::kAttrReadOnly); },
         engine::RowFate::Denied},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.what);
        if (Rows().empty()) {
            MakeCurrentHistory(whale + u"\\History");
            Pass();
        }
        const std::u16string kept = whale + u"\\Visited Links";
        Put(kept, "x");
        c.hold(m_fake.files, kept);
        Pass();  // every address: the companions go with the last
        EXPECT_TRUE(Rows().empty());
        EXPECT_TRUE(m_fake.files.Exists(kept));
        EXPECT_FALSE(m_fake.files.Exists(whale + u"\\Top Sites"));
        EXPECT_EQ(engine::StatusCleanFilesLeft(1, kept), m_state.StatusText());
        ASSERT_EQ(1u, m_state.Notes().size());
        EXPECT_EQ(engine::NoteKind::FileLeft, m_state.Notes()[0].kind);
        EXPECT_EQ(kept, m_state.Notes()[0].path);
        EXPECT_EQ(c.why, m_state.Notes()[0].why);
        m_fake.files.Release(kept);
        m_fake.files.SetAttributes(kept, 0);
        ASSERT_EQ(seam::kErrSuccess, m_fake.files.DeleteFile(kept));
        ASSERT_EQ(seam::kErrSuccess, m_fake.files.DeleteFile(whale + u"\\History"));
    }
    EXPECT_EQ(engine::kDatabaseReadLimit + 1, std::filesystem::file_size(RealPath(huge)));
}

}  // namespace
