// The engine's trace list: rows come back as they went in (texts and
// targets, whatever the list keeps once for several rows), newest on top,
// and the window thread may read while a worker writes.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/TraceList.h"
#include "engine/core/ValueText.h"
#include "tests/fakes/FakeCategories.h"

namespace engine {
namespace {

using fakes::MakeTraceRow;

const std::string kTypedKey = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs";

std::vector<std::string> Names(CTraceList& list) {
    std::vector<std::string> names;
    for (const auto& row : list.Rows()) names.push_back(row.Name());
    return names;
}

void ExpectSame(const seam::TraceItem& want, const seam::TraceItem& got) {
    EXPECT_EQ(want.text, got.text);
    EXPECT_EQ(want.target.kind, got.target.kind);
    EXPECT_EQ(want.target.root, got.target.root);
    EXPECT_EQ(want.target.key, got.target.key);
    EXPECT_EQ(want.target.name, got.target.name);
    EXPECT_EQ(want.target.wideName, got.target.wideName);
    EXPECT_EQ(want.target.path, got.target.path);
    EXPECT_EQ(want.target.id, got.target.id);
    EXPECT_EQ(want.target.rowKey, got.target.rowKey);
    EXPECT_EQ(want.target.rowValue, got.target.rowValue);
    EXPECT_EQ(want.target.parentId, got.target.parentId);
    EXPECT_EQ(want.target.started, got.target.started);
    EXPECT_EQ(want.utf8Columns, got.utf8Columns);
}

TEST(TraceList, RowsComeBackWholeWithTheirTargetsNewestOnTop) {
    // Target names taken from VALUe, from NAME and of their own; DATA equal
    // to NAME and not; a file target with its UTF-16 path.
    std::vector<seam::TraceItem> rows = {
        MakeTraceRow("RECENT", "http://a/", kTypedKey, "url1", "http://a/", "label"),
        MakeTraceRow("RECENT", "doc.docx", kTypedKey, "Item 1", "C:\\doc.docx", "label"),
        MakeTraceRow("PROCESS", "notepad.exe", "", "", "", "proc"),
        MakeTraceRow("GRID", "agent.exe"),
    };
    rows[3].target.name = "another.exe";
    // A process row names one process: its id and when it started.
    rows[2].target.id = 4412;
    rows[2].target.started = 133500000000000000ull;
    seam::TraceItem file;
    file.text = {"f.txt", "r", "FILE", "", "", "C:\\f.txt"};
    file.target.kind = seam::TargetKind::File;
    file.target.path = u"C:\\\u05D0\U0001F600.txt";
    file.target.id = 7;
    rows.push_back(file);
    seam::TraceItem wide = MakeTraceRow("RECENT", "?", kTypedKey, "?", "", "label");
    wide.target.wideName = u"\u0E01";
    rows.push_back(wide);
    // A browser's rows: the texts cleaning matches, kept whole.
    seam::TraceItem login = MakeTraceRow("REGISTRY", "https://nid.naver.com/", "C:\\History", "logins 3", "haneul");
    login.target.kind = seam::TargetKind::DatabaseRow;
    login.target.path = u"C:\\Users\\김하늘\\AppData\\Local\\Naver\\Naver Whale\\User Data\\Default\\Login Data";
    login.target.name = "logins";
    login.target.id = 3;
    login.target.rowKey = "https://nid.naver.com/" + std::string(4000, 'q');
    login.target.rowValue = "haneul";
    rows.push_back(login);
    seam::TraceItem term = login;
    term.target.name = "keyword_search_terms";
    term.target.rowKey = "날씨";
    term.target.rowValue.clear();
    term.target.parentId = 12;
    rows.push_back(term);
    // An address held as UTF-8 whose NAME is its key (kept once), with a
    // DATA equal to NAME but held in code page 949 (so not the same text).
    seam::TraceItem address = login;
    address.text[seam::kColName] = "https://b.example/날씨";
    address.text[seam::kColData] = address.text[seam::kColName];
    address.utf8Columns = 1u << seam::kColName;
    address.target.name = "urls";
    address.target.rowKey = address.text[seam::kColName];
    address.target.rowValue.clear();
    rows.push_back(address);
    seam::TraceItem twin = address;
    twin.utf8Columns |= 1u << seam::kColData;
    rows.push_back(twin);

    CTraceList list;
    for (const auto& row : rows) list.InsertTop(row);
    ASSERT_EQ(static_cast<int>(rows.size()), list.Count());
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        ExpectSame(rows[rows.size() - 1 - i], list.Read(static_cast<int>(i)));
    }
    const auto all = list.Rows();
    ASSERT_EQ(rows.size(), all.size());
    ExpectSame(rows.front(), all.back());
}

// A text kept as UTF-8 is read back as it was given and becomes a code page
// 949 cell only where it is shown (CopyText, ShownText): cut to a cell, one
// '?' for each character code page 949 cannot spell.
TEST(TraceList, Utf8TextsAreShownAsCodePage949Cells) {
    CTraceList list;
    seam::TraceItem row = MakeTraceRow("RECENT", "", "C:\\History", "urls 1");
    row.text[seam::kColName] = "https://a.example/?q=" + std::string(300, 'z');
    row.text[seam::kColData] = "날씨 \xE0\xB8\x81 \xF0\x9F\x98\x80";  // Korean, Thai, an emoji
    row.utf8Columns = (1u << seam::kColName) | (1u << seam::kColData);
    list.InsertTop(row);

    EXPECT_EQ(row.text, list.Read(0).text);
    EXPECT_EQ(row.utf8Columns, list.Read(0).utf8Columns);
    char cell[300];
    EXPECT_EQ(259u, list.CopyText(0, seam::kColName, cell, sizeof cell));
    EXPECT_EQ(row.text[seam::kColName].substr(0, 259), cell);
    EXPECT_EQ(8u, list.CopyText(0, seam::kColData, cell, sizeof cell));
    EXPECT_EQ("\xB3\xAF\xBE\xBE ? ?", std::string(cell));
    EXPECT_EQ(cell, engine::ShownText(list.Read(0), seam::kColData));
    EXPECT_EQ("urls 1", engine::ShownText(list.Read(0), seam::kColValue));
}

// The count the window asks for without the lock follows every change,
// the ones that change nothing and the one that empties the list included.
TEST(TraceList, CountFollowsEveryInsertAndDelete) {
    CTraceList list;
    struct Step {
        const char* insert;  // a row to insert, or null to delete at `index`
        int index;
        int count;
    };
    const Step steps[] = {
        {"a", 0, 1}, {"b", 0, 2}, {"c", 0, 3}, {nullptr, 1, 2}, {nullptr, 5, 2}, {nullptr, -1, 2},
        {nullptr, 1, 1}, {nullptr, 0, 0}, {nullptr, 0, 0}, {"d", 0, 1},
    };
    for (const Step& step : steps) {
        if (step.insert) {
            list.InsertTop(MakeTraceRow("RECENT", step.insert, kTypedKey, step.insert));
        } else {
            list.Delete(step.index);
        }
        EXPECT_EQ(step.count, list.Count()) << (step.insert ? step.insert : "delete");
        EXPECT_EQ(static_cast<size_t>(list.Count()), list.Rows().size());
    }
}

// Converted outside the lock, from no more than a cell is made of: a 2 MB
// address with Korean in its first bytes gives the cell its whole text would.
TEST(TraceList, ALongUtf8TextGivesTheCellOfItsWholeText) {
    CTraceList list;
    seam::TraceItem row = MakeTraceRow("RECENT", "", "C:\\History", "urls 1");
    row.text[seam::kColName] = "https://a.example/\xEB\x82\xA0\xEC\x94\xA8" + std::string(2 << 20, 'z');
    row.utf8Columns = 1u << seam::kColName;
    list.InsertTop(row);
    const std::string whole = CellTextOfUtf8(row.text[seam::kColName]);
    ASSERT_EQ(259u, whole.size());
    char cell[300];
    EXPECT_EQ(whole.size(), list.CopyText(0, seam::kColName, cell, sizeof cell));
    EXPECT_EQ(whole, cell);
    char small[8];
    EXPECT_EQ(7u, list.CopyText(0, seam::kColName, small, sizeof small));
    EXPECT_EQ(whole.substr(0, 7), small);
}

TEST(TraceList, DeletingAndReadingPastTheEnd) {
    CTraceList list;
    for (const char* name : {"a", "b", "c", "d"}) list.InsertTop(MakeTraceRow("RECENT", name, kTypedKey, name));
    list.Delete(1);  // "c"
    list.Delete(9);
    list.Delete(-1);
    EXPECT_EQ((std::vector<std::string>{"d", "b", "a"}), Names(list));
    EXPECT_EQ(seam::TraceItem{}.text, list.Read(3).text);
    EXPECT_EQ(seam::TargetKind::None, list.Read(-1).target.kind);

    // Texts kept once for several rows outlive the rows that brought them,
    // and an emptied list starts afresh.
    EXPECT_EQ(kTypedKey, list.Read(2).text[seam::kColRegKey]);
    while (list.Count() > 0) list.Delete(0);
    list.InsertTop(MakeTraceRow("PROCESS", "x.exe"));
    EXPECT_EQ("PROCESS", list.Read(0).Code());
    EXPECT_EQ("", list.Read(0).text[seam::kColRegKey]);
}

TEST(TraceList, CopyTextCutsToTheBufferAndAnswersEmptyOutOfRange) {
    CTraceList list;
    list.InsertTop(MakeTraceRow("RECENT", "abcdef", kTypedKey, "v", "abcdef"));
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(3u, list.CopyText(0, seam::kColName, buffer, sizeof buffer));
    EXPECT_STREQ("abc", buffer);
    EXPECT_EQ(3u, list.CopyText(0, seam::kColData, buffer, sizeof buffer));  // DATA is NAME here
    EXPECT_STREQ("abc", buffer);
    EXPECT_EQ(0u, list.CopyText(1, seam::kColName, buffer, sizeof buffer));
    EXPECT_STREQ("", buffer);
    EXPECT_EQ(0u, list.CopyText(0, seam::kColumnCount, buffer, sizeof buffer));
    EXPECT_EQ(0u, list.CopyText(0, seam::kColName, buffer, 0));
}

// The worker inserts and deletes while the window thread reads texts,
// counts and copies: every answer is a whole row of the list.
TEST(TraceList, AWindowThreadReadsWhileAWorkerWrites) {
    CTraceList list;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        for (int i = 0; i < 3000; ++i) {
            const std::string name = "n" + std::to_string(i);
            list.InsertTop(MakeTraceRow("RECENT", name, kTypedKey, name, name));
            if (i % 3 == 0) list.Delete(0);
        }
        done.store(true);
    });
    int reads = 0;
    while (!done.load() || reads == 0) {
        char name[16];
        char data[16];
        const int count = list.Count();
        list.CopyText(count / 2, seam::kColName, name, sizeof name);
        list.CopyText(count / 2, seam::kColData, data, sizeof data);
        if (name[0] != '\0') {
            EXPECT_EQ('n', name[0]) << count;
        }
        for (const auto& row : list.Rows()) ASSERT_EQ(row.Name(), row.target.name);
        ++reads;
    }
    worker.join();
    EXPECT_EQ(2000, list.Count());
}

}  // namespace
}  // namespace engine
