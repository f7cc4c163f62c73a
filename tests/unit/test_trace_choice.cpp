// The details window's choice: linked rows, what leaves the list, counters.
#include <gtest/gtest.h>

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
    EXPECT_TRUE(RemovedTogether(m_rows[4], m_rows[5])) << "PROCESS rows of one name";
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

TEST_F(Choice, RowsAreMatchedByTheirTextsNotTheirPlace) {
    m_view.List().InsertTop(fakes::MakeTraceRow("RECENT", "http://new.example/", kTyped, "url3"));
    m_view.List().Flush();
    EXPECT_EQ(LeaveOut(m_state, m_view, {m_rows[0], fakes::MakeTraceRow("RECENT", "gone", kTyped, "url9")}), 8);
    EXPECT_EQ(Names()[0], "http://new.example/");
    EXPECT_EQ(Names()[1], "http://b.example/");
    EXPECT_EQ(m_state.Count(seam::kRecent), 1);
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

}  // namespace
}  // namespace engine
