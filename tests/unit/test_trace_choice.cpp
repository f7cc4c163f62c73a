// The details window's choice: linked rows, ticks and their count, what
// leaves the list, counters.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <utility>

#include "engine/browsers/BrowserRows.h"
#include "engine/core/StatusTexts.h"
#include "engine/kinds/TraceChoice.h"
#include "tests/fakes/FakeCategories.h"
#include "tests/fakes/FakeView.h"

namespace engine {
namespace {

using fakes::MakeTraceRow;

const std::string kTyped = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs";
const std::string kForms = "HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2";

class Choice : public ::testing::Test {
protected:
    Choice() {
        m_view.List().SetBatching(true);
        m_rows = {
            fakes::MakeTraceRow("RECENT", "http://a.example/", kTyped, "url1", "http://a.example/"),
            fakes::MakeTraceRow("RECENT", "http://b.example/", kTyped, "url2", "http://b.example/"),
            fakes::MakeTraceRow("REGISTRY", "form1", kForms, "form1", "x"),
            fakes::MakeTraceRow("REGISTRY", "form2", kForms, "form2", "y"),
            fakes::MakeTraceRow("PROCESS", "idle.exe"),
            fakes::MakeTraceRow("PROCESS", "idle.exe"),
            fakes::MakeTraceRow("PROCESS", "other.exe"),
            fakes::MakeTraceRow("GRID", "agent.exe"),
        };
        m_view.List().Assign(m_rows);
        m_state.SetCount(seam::kRecent, 2);
        m_state.SetCount(seam::kRegistry, 2);
        m_state.SetCount(seam::kProcess, 3);
        m_state.SetCount(seam::kGrid, 1);
        m_state.m_bAnalysed.store(true);
    }

    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const seam::TraceItem& row : m_view.List().Rows()) names.push_back(row.Name());
        return names;
    }

    EngineState m_state;
    fakes::FakeView m_view{&m_state};
    std::vector<seam::TraceItem> m_rows;
};

TEST_F(Choice, RowsOfOneRemovalAreLinked) {
    EXPECT_TRUE(RemovedTogether(m_rows[2], m_rows[3])) << "every REGISTRY row";
    EXPECT_FALSE(RemovedTogether(m_rows[4], m_rows[5])) << "PROCESS rows of one name: two processes";
    EXPECT_FALSE(RemovedTogether(m_rows[4], m_rows[6])) << "PROCESS rows of two names";
    EXPECT_FALSE(RemovedTogether(m_rows[0], m_rows[1])) << "RECENT rows are single values";
    EXPECT_FALSE(RemovedTogether(m_rows[7], fakes::MakeTraceRow("PROCESS", "agent.exe"))) << "same name, other category";
    EXPECT_TRUE(RemovedTogether(m_rows[7], fakes::MakeTraceRow("GRID", "agent.exe")));
    EXPECT_FALSE(RemovedTogether(m_rows[7], fakes::MakeTraceRow("GRID", "other.exe")));
}

TEST_F(Choice, LeftOutRowsLeaveWithoutCleaningAndLowerTheirCounters) {
    const int left = LeaveOut(m_state, m_view, {m_rows[1], m_rows[2], m_rows[3], m_rows[4], m_rows[5]});
    EXPECT_EQ(left, 3);
    EXPECT_EQ(Names(), (std::vector<std::string>{"http://a.example/", "other.exe", "agent.exe"}));
    EXPECT_EQ(m_state.Count(seam::kRecent), 1) << "one of two RECENT rows left out";
    EXPECT_EQ(m_state.Count(seam::kRegistry), 0) << "no REGISTRY row left";
    EXPECT_EQ(m_state.Count(seam::kProcess), 1) << "two of three PROCESS rows left out";
    EXPECT_EQ(m_state.Count(seam::kGrid), 1) << "untouched";
    EXPECT_TRUE(m_state.m_bAnalysed.load()) << "rows remain for the cleaning pass";
    EXPECT_EQ(m_view.Faces(), std::vector<seam::ActionFace>{});
    EXPECT_EQ(m_view.Statuses(), std::vector<std::string>{});
    EXPECT_EQ(m_view.List().Pending(), 0);
    const std::vector<seam::Category> changed = m_view.CounterChanges();
    EXPECT_EQ(changed, (std::vector<seam::Category>{seam::kProcess, seam::kRegistry, seam::kRecent})) << "each changed counter repainted once";
}

TEST_F(Choice, ACategoryWithRowsLeftKeepsACounterAboveZero) {
    // A counter already lowered elsewhere must not let the next analysis list the kept row twice.
    m_state.SetCount(seam::kProcess, 2);
    LeaveOut(m_state, m_view, {m_rows[4], m_rows[5]});
    EXPECT_EQ(m_state.Count(seam::kProcess), 1);
    EXPECT_EQ(Names().size(), 6u);
}

TEST_F(Choice, RowsAreMatchedByWhatTheyAreNotTheirPlace) {
    m_view.List().InsertTop(fakes::MakeTraceRow("RECENT", "http://new.example/", kTyped, "url3"));
    m_view.List().Flush();
    EXPECT_EQ(LeaveOut(m_state, m_view, {m_rows[0], fakes::MakeTraceRow("RECENT", "gone", kTyped, "url9")}), 8);
    EXPECT_EQ(Names()[0], "http://new.example/");
    EXPECT_EQ(Names()[1], "http://b.example/");
    EXPECT_EQ(m_state.Count(seam::kRecent), 1);
}

TEST_F(Choice, RowsThatShowAlikeStayTwoChoices) {
    // Texts code page 949 spells alike, or cut alike to a cell: the target
    // tells the traces apart, in every kind that names one exactly.
    struct Twin {
        const char* what;
        void (*differ)(seam::TraceTarget&);
    };
    const Twin twins[] = {
        {"a value name ANSI spells alike", [](seam::TraceTarget& t) { t.wideName = u"\u05D0"; }},
        {"a file path cut at the cell", [](seam::TraceTarget& t) { t.path += u"-2"; }},
        {"a jump list entry of another number", [](seam::TraceTarget& t) { t.id += 1; }},
        {"a process started later under the same id", [](seam::TraceTarget& t) { t.started += 1; }},
        {"a database row of the same texts and another id", [](seam::TraceTarget& t) { t.id += 7; }},
    };
    for (const Twin& twin : twins) {
        seam::TraceItem first = fakes::MakeTraceRow("RECENT", "same", kTyped, "same", "same");
        first.target.kind = seam::TargetKind::RegValue;
        first.target.path = u"C:\\a";
        first.target.id = 3;
        seam::TraceItem second = first;
        twin.differ(second.target);
        m_view.List().Assign({first, second});
        m_state.SetCount(seam::kRecent, 2);
        EXPECT_EQ(1, LeaveOut(m_state, m_view, {second})) << twin.what;
        ASSERT_EQ(1u, m_view.List().Rows().size()) << twin.what;
        EXPECT_TRUE(m_view.List().Rows()[0].target == first.target) << twin.what << ": the other one left";
    }
}

TEST_F(Choice, EveryRowLeftOutReturnsToTheStart) {
    EXPECT_EQ(LeaveOut(m_state, m_view, m_rows), 0);
    EXPECT_TRUE(m_view.List().Rows().empty());
    for (int c = 0; c < seam::kCategoryCount; ++c) EXPECT_EQ(m_state.Count(static_cast<seam::Category>(c)), 0) << c;
    EXPECT_EQ(m_state.CountText(seam::kProcess), "0");
    EXPECT_FALSE(m_state.m_bAnalysed.load()) << "the next press analyses";
    EXPECT_EQ(m_view.Statuses(), std::vector<std::string>{StatusWaiting()});
    EXPECT_EQ(m_view.Faces(), std::vector<seam::ActionFace>{seam::ActionFace::Analyse});
    EXPECT_EQ(m_view.Progress(), std::vector<int>{0});
}

TEST_F(Choice, NothingLeftOutChangesNothing) {
    EXPECT_EQ(LeaveOut(m_state, m_view, {}), 8);
    EXPECT_EQ(m_view.Events(), std::vector<std::string>{});
    EXPECT_EQ(m_state.Count(seam::kProcess), 3);
}

// The choice is made of the rows once; ticking reads none of them again.
TEST_F(Choice, TheChoiceReadsEachRowOnceWhenMade) {
    CTraceChoice choice(m_view.List());
    EXPECT_EQ(m_view.List().ReadIndices(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(choice.Count(), 8);
    EXPECT_EQ(choice.TickedCount(), 8) << "every row ticked at first";
    for (int i = 0; i < choice.Count(); ++i) choice.SetTicked(i, i % 2 == 0);
    EXPECT_EQ(m_view.List().ReadIndices().size(), 8u);
}

// Pressing clean with some rows unticked is LeaveOut of those rows: the
// counters, the state and the rows left, whichever rows the user unticked.
TEST_F(Choice, CleanLeavesTheUntickedRowsOut) {
    struct Case {
        const char* what;
        std::vector<int> untick;
        int left;
        std::vector<std::string> names;
        std::array<int32_t, seam::kCategoryCount> counts;  // GRID, PROCESS, REGISTRY, RECENT
    };
    const std::vector<std::string> all{"http://a.example/", "http://b.example/", "form1", "form2",
                                       "idle.exe", "idle.exe", "other.exe", "agent.exe"};
    const Case cases[] = {
        {"every row ticked", {}, 8, all, {1, 3, 2, 2}},
        {"an address, a form entry (with the other) and one of two copies of a program", {1, 2, 4}, 4,
         {"http://a.example/", "idle.exe", "other.exe", "agent.exe"}, {1, 2, 0, 1}},
        {"the agent alone", {7}, 7, {all.begin(), all.end() - 1}, {0, 3, 2, 2}},
        {"every row", {0, 1, 2, 4, 5, 6, 7}, 0, {}, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EngineState state;
        fakes::FakeView view(&state);
        view.List().Assign(m_rows);
        for (int k = 0; k < seam::kCategoryCount; ++k) {
            const auto category = static_cast<seam::Category>(k);
            state.SetCount(category, m_state.Count(category));
        }
        state.m_bAnalysed.store(true);

        CTraceChoice choice(view.List());
        for (int row : c.untick) choice.SetTicked(row, false);
        EXPECT_EQ(choice.LeaveOut(state, view), c.left);
        std::vector<std::string> names;
        for (const seam::TraceItem& row : view.List().Rows()) names.push_back(row.Name());
        EXPECT_EQ(names, c.names);
        for (int k = 0; k < seam::kCategoryCount; ++k)
            EXPECT_EQ(state.Count(static_cast<seam::Category>(k)), c.counts[static_cast<size_t>(k)]) << k;
        EXPECT_EQ(state.m_bAnalysed.load(), c.left > 0);
        const std::vector<seam::ActionFace> faces = view.Faces();
        EXPECT_EQ(faces.size(), c.left > 0 ? 0u : 1u) << "the analyse face only when nothing is left";
    }
}

seam::TraceItem DatabaseRow(const std::string& name, const std::u16string& path, const char* table, int64_t id,
                            int64_t parentId = 0) {
    seam::TraceItem row = MakeTraceRow("RECENT", name);
    row.target.kind = seam::TargetKind::DatabaseRow;
    row.target.path = path;
    row.target.name = table;
    row.target.id = id;
    row.target.parentId = parentId;
    return row;
}

const std::u16string kEdge = u"C:\\Users\\u\\AppData\\Local\\Microsoft\\Edge\\User Data\\Default\\History";
const std::u16string kChrome = u"C:\\Users\\u\\AppData\\Local\\Google\\Chrome\\User Data\\Default\\History";
const std::u16string kLogins = u"C:\\Users\\u\\AppData\\Local\\Microsoft\\Edge\\User Data\\Default\\Login Data";

// Rows of every kind a removal can take together, and some it cannot.
std::vector<seam::TraceItem> LinkedRows() {
    return {
        MakeTraceRow("RECENT", "http://a.example/", kTyped, "url1"),                      // 0
        MakeTraceRow("REGISTRY", "form1", kForms, "form1"),                               // 1
        MakeTraceRow("REGISTRY", "form2", kForms, "form2"),                               // 2
        MakeTraceRow("PROCESS", "idle.exe"),                                              // 3
        MakeTraceRow("PROCESS", "idle.exe"),                                              // 4
        MakeTraceRow("PROCESS", "other.exe"),                                             // 5
        MakeTraceRow("GRID", "idle.exe"),                                                 // 6
        DatabaseRow("https://naver.com/", kEdge, kTableUrls, 1),                          // 7
        DatabaseRow("naver", kEdge, kTableSearchTerms, 11, 1),                            // 8
        DatabaseRow("\xEB\x84\xA4\xEC\x9D\xB4\xEB\xB2\x84", kEdge, kTableSearchTerms, 12, 1),  // 9
        DatabaseRow("https://daum.net/", kEdge, kTableUrls, 3),                           // 10
        DatabaseRow("daum", kEdge, kTableSearchTerms, 13, 3),                             // 11
        DatabaseRow("https://naver.com/", kChrome, kTableUrls, 1),                        // 12
        DatabaseRow("naver", kChrome, kTableSearchTerms, 11, 1),                          // 13
        DatabaseRow("naver.com", kLogins, "logins", 1),                                   // 14
        DatabaseRow("daum.net", kLogins, "logins", 2),                                    // 15
        DatabaseRow("email", kLogins, "autofill", 1),                                     // 16
    };
}

std::set<int> UntickedOf(const CTraceChoice& choice) {
    std::set<int> rows;
    for (int i = 0; i < choice.Count(); ++i)
        if (!choice.IsTicked(i)) rows.insert(i);
    return rows;
}

TEST(TraceChoice, RowsTickWithTheRowsOneRemovalTakesWithThem) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, bool>> steps;  // row, ticked
        std::set<int> unticked;
    };
    const Case cases[] = {
        {"a typed address goes alone", {{0, false}}, {0}},
        {"an IntelliForms row takes the other", {{2, false}}, {1, 2}},
        {"a process goes alone: not its namesake, another program nor the agent of its name", {{3, false}}, {3}},
        {"an agent goes alone when no other row is its agent", {{6, false}}, {6}},
        {"an address takes the terms typed for it", {{7, false}}, {7, 8, 9}},
        {"a term takes its address, not the address's other term", {{9, false}}, {7, 9}},
        {"ticking a term again ticks its address; the other term stays", {{7, false}, {8, true}}, {9}},
        {"ticking an address again ticks its terms", {{8, false}, {9, false}, {7, true}}, {}},
        {"the same row id in another database is another address", {{12, false}}, {12, 13}},
        {"logins and form entries go alone", {{14, false}, {16, false}}, {14, 16}},
        {"unticking twice is unticking once", {{0, false}, {0, false}}, {0}},
        {"ticking what is ticked changes nothing", {{3, true}, {7, true}}, {}},
        {"an index out of range changes nothing", {{-1, false}, {17, false}}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::FakeTraceList list;
        list.Assign(LinkedRows());
        CTraceChoice choice(list);
        for (const auto& [row, bTicked] : c.steps) choice.SetTicked(row, bTicked);
        EXPECT_EQ(UntickedOf(choice), c.unticked);
        EXPECT_EQ(choice.TickedCount(), 17 - static_cast<int>(c.unticked.size()));
        EXPECT_FALSE(choice.IsTicked(-1));
        EXPECT_FALSE(choice.IsTicked(17));
    }
}

// The index finds exactly the rows RemovedTogether pairs, row by row.
TEST(TraceChoice, EachRowTicksWithEveryRowRemovedTogetherWithItAndNoOther) {
    const std::vector<seam::TraceItem> rows = LinkedRows();
    fakes::FakeTraceList list;
    list.Assign(rows);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        CTraceChoice choice(list);
        choice.SetTicked(r, false);
        std::set<int> expected{r};
        for (int j = 0; j < static_cast<int>(rows.size()); ++j)
            if (RemovedTogether(rows[static_cast<size_t>(r)], rows[static_cast<size_t>(j)])) expected.insert(j);
        EXPECT_EQ(UntickedOf(choice), expected) << "row " << r;
        choice.SetTicked(r, true);
        EXPECT_EQ(choice.TickedCount(), choice.Count()) << "row " << r;
    }
}

// 30,000 rows, among them 5,000 IntelliForms rows and an address with
// 5,000 terms: unticking and ticking every row one by one, as the space bar
// does on a whole selection, keeps every link. (What it costs is the
// benchmark's to say: tools/bench.sh --details.)
TEST(TraceChoice, ThirtyThousandRowsTickRowByRowWithTheirLinks) {
    std::vector<seam::TraceItem> rows;
    for (int i = 0; i < 10000; ++i) {
        const std::string n = std::to_string(i);
        rows.push_back(DatabaseRow("https://site" + n + ".example/", kEdge, kTableUrls, 100 + i));
        rows.push_back(DatabaseRow("term " + n, kEdge, kTableSearchTerms, i, 100 + i));
    }
    for (int i = 0; i < 5000; ++i) {
        const std::string n = "form" + std::to_string(i);
        rows.push_back(MakeTraceRow("REGISTRY", n, kForms, n));
    }
    rows.push_back(DatabaseRow("https://popular.example/", kChrome, kTableUrls, 7));
    for (int i = 0; i < 4999; ++i)
        rows.push_back(DatabaseRow("q" + std::to_string(i), kChrome, kTableSearchTerms, i, 7));
    ASSERT_EQ(rows.size(), 30000u);
    fakes::FakeTraceList list;
    list.Assign(rows);

    CTraceChoice choice(list);
    choice.SetTicked(20000, false);
    EXPECT_EQ(choice.TickedCount(), 25000) << "one IntelliForms row unticks all 5,000";
    choice.SetTicked(25000, false);
    EXPECT_EQ(choice.TickedCount(), 20000) << "the popular address unticks its 4,999 terms";
    for (int i = 0; i < choice.Count(); ++i) choice.SetTicked(i, true);
    EXPECT_EQ(choice.TickedCount(), 30000);
    for (int i = 0; i < choice.Count(); ++i) choice.SetTicked(i, false);
    EXPECT_EQ(choice.TickedCount(), 0);
}

}  // namespace
}  // namespace engine
