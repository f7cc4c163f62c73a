// The analyse/clean driver against fake categories, a fake registry and a
// batching fake list (so a missing Flush shows as missing rows).
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/core/Engine.h"
#include "engine/history/IntelliFormsKeys.h"
#include "engine/core/StatusTexts.h"
#include "net/Server.h"
#include "net/UsageSwitch.h"
#include "net/UsageCount.h"
#include "seam/Text.h"
#include "tests/fakes/FakeCategories.h"
#include "tests/fakes/FakePlatform.h"
#include "tests/fakes/FakeView.h"

namespace engine {
namespace {

using fakes::MakeTraceRow;

constexpr seam::RegRoot kHkcu = seam::RegRoot::CurrentUser;
constexpr const char* kTyped = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
const std::string kTypedRegKey = std::string("HKEY_CURRENT_USER\\") + kTyped;

class Driver : public ::testing::Test {
protected:
    Driver() {
        m_view.List().SetBatching(true);
        unsetenv("KESTRAVIN_SERVER");
    }

    void Pass() { m_engine.AnalyseOrClean(); }
    std::vector<seam::TraceItem> Rows() { return m_view.List().Rows(); }
    void DisableAll() {
        for (int c = 0; c < seam::kCategoryCount; ++c) m_state.SetEnabled(static_cast<seam::Category>(c), false);
    }
    // A RECENT row for value `name` of the typed-address key, with the value in the registry.
    seam::TraceItem TypedRow(const std::string& name, bool present = true) {
        if (present) m_fake.registry.SetString(kHkcu, kTyped, name, "http://" + name + ".example/");
        return fakes::MakeTraceRow("RECENT", "http://" + name + ".example/", kTypedRegKey, name);
    }
    void ExpectNoLeaks() {
        EXPECT_EQ(0, m_fake.registry.OpenHandleCount());
        EXPECT_EQ(0, m_fake.registry.BadCloseCount());
        EXPECT_EQ(0, m_view.List().Pending());
        EXPECT_EQ(0, m_view.StatusBeforeFlush());
    }

    fakes::FakePlatform m_fake;
    EngineState m_state;
    fakes::FakeView m_view{&m_state};
    fakes::FakeCategories m_categories{m_fake.platform, m_state, m_view};
    CTraceEngine m_engine{m_fake.platform, m_state, m_view, m_categories};
};

TEST_F(Driver, AnalysisWithEveryCategoryOffFindsNothing) {
    DisableAll();
    m_categories.SetRows("RECENT", {TypedRow("url1")});
    Pass();

    EXPECT_TRUE(m_categories.Scans().empty());
    EXPECT_EQ(StatusNoItems(), m_state.StatusText());
    EXPECT_FALSE(m_state.m_bAnalysed.load());
    EXPECT_TRUE(m_view.Faces().empty());  // the button keeps its analyse face
    EXPECT_EQ((std::vector<int>{0, 100}), m_view.Progress());
    EXPECT_TRUE(Rows().empty());
    ExpectNoLeaks();
}

TEST_F(Driver, AnalysisScansInFixedOrderThenPromptsToClean) {
    m_categories.SetRows("RECENT", {TypedRow("url1"), TypedRow("url2")});
    Pass();

    EXPECT_EQ((std::vector<std::string>{"Scan:GRID", "Scan:PROCESS",
                                        "Scan:REGISTRY", "Scan:RECENT"}),
              m_categories.Scans());
    ASSERT_EQ(2u, Rows().size());
    EXPECT_EQ("url2", Rows()[0].text[seam::kColValue]);  // the last found is on top
    EXPECT_EQ(2, m_state.Count(seam::kRecent));
    EXPECT_EQ("2", m_state.CountText(seam::kRecent));
    EXPECT_TRUE(m_state.m_bAnalysed.load());
    EXPECT_EQ(StatusCleanPrompt(), m_state.StatusText());
    EXPECT_EQ((std::vector<seam::ActionFace>{seam::ActionFace::Clean}), m_view.Faces());

    // Progress 0 before anything is found; the prompt, the face, then 100.
    const auto events = m_view.Events();
    ASSERT_GE(events.size(), 5u);
    EXPECT_EQ("progress:0", events.front());
    EXPECT_EQ((std::vector<std::string>{"status", "face:clean", "progress:100"}),
              std::vector<std::string>(events.end() - 3, events.end()));
    ExpectNoLeaks();

    // The next press cleans: both values go, the key stays.
    Pass();
    EXPECT_TRUE(Rows().empty());
    EXPECT_TRUE(m_fake.registry.ValueNames(kHkcu, kTyped).empty());
    EXPECT_TRUE(m_fake.registry.KeyExists(kHkcu, kTyped));
    EXPECT_EQ(0, m_state.Count(seam::kRecent));
    EXPECT_FALSE(m_state.m_bAnalysed.load());
    EXPECT_EQ(StatusCleanDone(), m_state.StatusText());
    EXPECT_EQ(seam::ActionFace::Analyse, m_view.Faces().back());
    EXPECT_EQ(2u, m_view.Progress().size());  // cleaning leaves the bar alone
    ExpectNoLeaks();
}

TEST_F(Driver, CategorySwitchedOffKeepsItsRowsAndIsNotRescanned) {
    m_categories.SetRows("PROCESS", {fakes::MakeTraceRow("PROCESS", "a.exe"), fakes::MakeTraceRow("PROCESS", "b.exe")});
    m_categories.SetRows("RECENT", {TypedRow("url1")});
    Pass();
    ASSERT_EQ(3u, Rows().size());
    ASSERT_EQ(2, m_state.Count(seam::kProcess));

    m_state.SetEnabled(seam::kProcess, false);
    Pass();  // clean: PROCESS rows are not attempted and not failures
    EXPECT_TRUE(m_categories.Removals().empty());
    ASSERT_EQ(2u, Rows().size());
    EXPECT_EQ(2, m_state.Count(seam::kProcess));
    EXPECT_EQ(0, m_state.Count(seam::kRecent));
    EXPECT_EQ(StatusCleanDone(), m_state.StatusText());

    m_state.SetEnabled(seam::kProcess, true);
    Pass();  // analysis: PROCESS still has rows, so it is skipped
    const auto scans = m_categories.Scans();
    EXPECT_EQ(1, std::count(scans.begin(), scans.end(), "Scan:PROCESS"));
    EXPECT_EQ(2, std::count(scans.begin(), scans.end(), "Scan:RECENT"));
    EXPECT_EQ(3u, Rows().size());  // the two PROCESS rows, not duplicated, and RECENT again

    Pass();  // clean with PROCESS on: its rows go through its remover
    EXPECT_EQ((std::vector<std::string>{"EndPrograms:b.exe", "EndPrograms:a.exe"}),
              m_categories.Removals());
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(0, m_state.Count(seam::kProcess));
    ExpectNoLeaks();
}

TEST_F(Driver, EveryRegistryRowClearsTheThreeIntelliFormsKeys) {
    for (const char* key : kIntelliFormsKeys) {
        m_fake.registry.SetString(kHkcu, key, "v", "secret");
        m_fake.registry.SetString(kHkcu, std::string(key) + "\\sub\\deeper", "w", "x");
    }
    std::vector<seam::TraceItem> rows;
    for (const char* name : {"r1", "r2", "r3"}) {
        rows.push_back(fakes::MakeTraceRow("REGISTRY", name, std::string("HKEY_CURRENT_USER\\") + kIntelliFormsKeys[0], name));
    }
    m_categories.SetRows("REGISTRY", rows);
    Pass();
    ASSERT_EQ(3, m_state.Count(seam::kRegistry));

    const auto countersBefore = m_view.CounterChanges().size();
    Pass();
    EXPECT_TRUE(Rows().empty());
    for (const char* key : kIntelliFormsKeys) EXPECT_FALSE(m_fake.registry.KeyExists(kHkcu, key)) << key;
    EXPECT_TRUE(m_fake.registry.KeyExists(kHkcu, "Software\\Microsoft\\Internet Explorer\\IntelliForms"));
    EXPECT_EQ(0, m_state.Count(seam::kRegistry));
    EXPECT_EQ("0", m_state.CountText(seam::kRegistry));
    // The three rows are one container: one removal, one change of the counter.
    const auto counters = m_view.CounterChanges();
    EXPECT_EQ(std::vector<seam::Category>(1, seam::kRegistry),
              std::vector<seam::Category>(counters.begin() + countersBefore, counters.end()));
    EXPECT_EQ(StatusCleanDone(), m_state.StatusText());
    ExpectNoLeaks();
}

TEST_F(Driver, CleaningReadsTheListOnceAndDeletesFromTheBottom) {
    // Top to bottom: unknown, gone, gone, unknown, gone.
    m_view.List().Assign({fakes::MakeTraceRow("grid", "u0.exe"), fakes::MakeTraceRow("GRID", "g1.exe"),
                          fakes::MakeTraceRow("PROCESS", "p2.exe"), fakes::MakeTraceRow("", "u3"),
                          fakes::MakeTraceRow("GRID", "g4.exe")});
    m_state.m_bAnalysed.store(true);
    Pass();

    EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4}), m_view.List().ReadIndices());
    // Bottom first, so that no deletion moves a row still to be deleted.
    EXPECT_EQ((std::vector<std::string>{"g4.exe", "p2.exe", "g1.exe"}), m_view.List().DeletedNames());
    ASSERT_EQ(2u, Rows().size());
    EXPECT_EQ("u0.exe", Rows()[0].Name());
    EXPECT_EQ("u3", Rows()[1].Name());
    // Containers go in the order of the table of kinds (programs, then
    // agents), and within a kind top first.
    EXPECT_EQ((std::vector<std::string>{"EndPrograms:p2.exe", "StopGridService:g1.exe",
                                        "StopGridService:g4.exe"}),
              m_categories.Removals());

    // Rows of one program are one container wherever they stand: ended
    // once, every row gone.
    m_view.List().Assign({fakes::MakeTraceRow("PROCESS", "a.exe"), fakes::MakeTraceRow("PROCESS", "c.exe"),
                          fakes::MakeTraceRow("PROCESS", "A.EXE")});
    m_state.m_bAnalysed.store(true);
    const size_t readsBefore = m_view.List().ReadIndices().size();
    const size_t removalsBefore = m_categories.Removals().size();
    Pass();
    const auto reads = m_view.List().ReadIndices();
    EXPECT_EQ((std::vector<int>{0, 1, 2}), std::vector<int>(reads.begin() + readsBefore, reads.end()));
    const auto removals = m_categories.Removals();
    EXPECT_EQ((std::vector<std::string>{"EndPrograms:a.exe", "EndPrograms:c.exe"}),
              std::vector<std::string>(removals.begin() + removalsBefore, removals.end()));
    EXPECT_TRUE(Rows().empty());
}

TEST_F(Driver, UnknownCodesAndRootsStayWithoutCountingAsFailures) {
    m_fake.registry.SetString(seam::RegRoot::CurrentUser, kTyped, "url1", "x");
    m_view.List().Assign({
        fakes::MakeTraceRow("recent", "lower-case code", kTypedRegKey, "url1"),
        fakes::MakeTraceRow("RECENT ", "trailing space", kTypedRegKey, "url1"),
        fakes::MakeTraceRow("RECENT", "other root", std::string("HKEY_USERS\\") + kTyped, "url1"),
        fakes::MakeTraceRow("RECENT", "short root", std::string("HKCU\\") + kTyped, "url1"),
        fakes::MakeTraceRow("RECENT", "no backslash", "HKEY_CURRENT_USER", "url1"),
    });
    m_state.SetCount(seam::kRecent, 5);
    m_state.m_bAnalysed.store(true);
    Pass();

    // "HKEY_CURRENT_USER" alone is a known root with an empty key path: that
    // row is attempted, finds no value url1 at the root, and leaves.
    EXPECT_EQ(4u, Rows().size());
    EXPECT_EQ(4, m_state.Count(seam::kRecent));
    EXPECT_TRUE(m_fake.registry.ValueExists(kHkcu, kTyped, "url1"));
    EXPECT_TRUE(m_categories.Removals().empty());
    EXPECT_EQ(StatusCleanDone(), m_state.StatusText());
    ExpectNoLeaks();
}

TEST_F(Driver, RecentRowWhoseTraceIsAlreadyGoneLeaves) {
    m_fake.registry.AddKey(kHkcu, kTyped);
    m_fake.registry.SetString(seam::RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\Help", "old.hlp", "");
    m_view.List().Assign({
        TypedRow("url9", /*present=*/false),                                              // value gone
        fakes::MakeTraceRow("RECENT", "x", "HKEY_CURRENT_USER\\Software\\NoSuchKey", "v"),        // key gone
        fakes::MakeTraceRow("RECENT", "old.hlp", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\Help",
                     "old.hlp"),                                                           // deleted
    });
    m_state.SetCount(seam::kRecent, 3);
    m_state.m_bAnalysed.store(true);
    Pass();

    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(0, m_state.Count(seam::kRecent));
    EXPECT_FALSE(m_fake.registry.ValueExists(seam::RegRoot::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\Help", "old.hlp"));
    EXPECT_FALSE(m_fake.registry.KeyExists(kHkcu, "Software\\NoSuchKey"));
    EXPECT_EQ(StatusCleanDone(), m_state.StatusText());
    ExpectNoLeaks();
}

TEST_F(Driver, FailedRemovalsStayAndAreCounted) {
    using fakes::kDenyDeleteKey;
    using fakes::kDenyWriteValues;
    m_fake.registry.SetString(kHkcu, kIntelliFormsKeys[1], "v", "secret");
    m_fake.registry.Deny(kHkcu, kIntelliFormsKeys[1], fakes::kDenyDeleteKey);
    m_fake.registry.SetString(kHkcu, "Software\\Locked", "v", "x");
    m_fake.registry.Deny(kHkcu, "Software\\Locked", fakes::kDenyWriteValues);

    m_categories.SetRemoval("stuck.exe", engine::RowFate::StillRunning);
    m_categories.SetRemoval("agent.exe", engine::RowFate::Denied);
    m_view.List().Assign({
        fakes::MakeTraceRow("PROCESS", "stuck.exe"),
        fakes::MakeTraceRow("GRID", "agent.exe"),
        fakes::MakeTraceRow("RECENT", "locked", "HKEY_CURRENT_USER\\Software\\Locked", "v"),
        fakes::MakeTraceRow("REGISTRY", "v", std::string("HKEY_CURRENT_USER\\") + kIntelliFormsKeys[1], "v"),
        fakes::MakeTraceRow("PROCESS", "fine.exe"),
        fakes::MakeTraceRow("MYSTERY", "not attempted"),
    });
    m_state.SetCount(seam::kProcess, 2);
    m_state.SetCount(seam::kGrid, 1);
    m_state.SetCount(seam::kRecent, 1);
    m_state.SetCount(seam::kRegistry, 1);
    m_state.m_bAnalysed.store(true);
    Pass();

    EXPECT_EQ(StatusCleanFailed(4), m_state.StatusText());
    EXPECT_EQ(seam::Cp949FromUtf8("분석정리(100%) : 4개 항목을 정리하지 못했습니다."), m_state.StatusText());
    ASSERT_EQ(5u, Rows().size());
    EXPECT_EQ((std::vector<std::string>{"fine.exe"}), m_view.List().DeletedNames());
    EXPECT_EQ(1, m_state.Count(seam::kProcess));  // lowered by the remover of fine.exe only
    EXPECT_EQ(1, m_state.Count(seam::kRecent));
    EXPECT_EQ(1, m_state.Count(seam::kRegistry));
    EXPECT_FALSE(m_state.m_bAnalysed.load());
    EXPECT_EQ(seam::ActionFace::Analyse, m_view.Faces().back());
    // The key that refused its deletion is what kept the REGISTRY row.
    EXPECT_TRUE(m_fake.registry.KeyExists(kHkcu, kIntelliFormsKeys[1]));
    ExpectNoLeaks();
}

TEST_F(Driver, CountRequestsFollowTheOnlineTest) {
    m_categories.SetRows("RECENT", {TypedRow("url1")});
    Pass();  // analysis
    Pass();  // cleaning
    Pass();  // analysis finding nothing new (url1 is gone)
    const std::string base = net::kDefaultServer;
    EXPECT_EQ((std::vector<std::string>{base + "/request/count.php?mode=analysis&key=kestravin",
                                        base + "/request/count.php?mode=clean&key=kestravin",
                                        base + "/request/count.php?mode=analysis&key=kestravin"}),
              m_fake.net.RequestedUrls());
    EXPECT_TRUE(m_state.m_bOnline.load());

    m_fake.net.SetOnline(false);
    Pass();
    EXPECT_EQ(3u, m_fake.net.RequestedUrls().size());
    EXPECT_FALSE(m_state.m_bOnline.load());
    const auto progress = m_view.Progress();  // the pass ran all the same
    ASSERT_GE(progress.size(), 2u);
    EXPECT_EQ((std::vector<int>{0, 100}), std::vector<int>(progress.end() - 2, progress.end()));
}

TEST_F(Driver, UsageSwitchOffSendsNoCountButThePassesRun) {
    ASSERT_EQ(seam::kErrSuccess, net::SetUsageCountOn(m_fake.registry, false));
    m_categories.SetRows("RECENT", {TypedRow("url1")});
    Pass();  // analysis
    Pass();  // cleaning
    EXPECT_TRUE(m_fake.net.RequestedUrls().empty());
    EXPECT_TRUE(m_state.m_bOnline.load());  // the online test itself still ran
    EXPECT_EQ(seam::ActionFace::Analyse, m_view.Faces().back());
    EXPECT_TRUE(Rows().empty());

    // Switched on again between passes: the very next pass counts.
    ASSERT_EQ(seam::kErrSuccess, net::SetUsageCountOn(m_fake.registry, true));
    Pass();
    EXPECT_EQ(1u, m_fake.net.RequestedUrls().size());
}

TEST_F(Driver, StatusTextsAreCodePage949) {
    EXPECT_EQ("분석대기 : 0%", seam::Utf8FromCp949(StatusWaiting()));
    EXPECT_EQ("분석완료(100%) : 분석항목이 존재하지 않습니다.", seam::Utf8FromCp949(StatusNoItems()));
    EXPECT_EQ("분석완료(100%) : 정리시작을 통해서 PC를 정리하세요.", seam::Utf8FromCp949(StatusCleanPrompt()));
    EXPECT_EQ("분석정리(100%) : 분석정리를 성공적으로 완료하였습니다.", seam::Utf8FromCp949(StatusCleanDone()));
    EXPECT_EQ("분석정리(100%) : 12개 항목을 정리하지 못했습니다.", seam::Utf8FromCp949(StatusCleanFailed(12)));
    EXPECT_NE(StatusWaiting(), std::string("분석대기 : 0%"));  // not left as UTF-8
}

}  // namespace
}  // namespace engine
