// The driver with the real categories over the whole fake machine: analysis
// then cleaning, checked by what is left in the registry, the process table
// and the service manager.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/processes/GridDelivery.h"
#include "engine/history/IntelliFormsKeys.h"
#include "engine/core/StatusTexts.h"
#include "engine/kinds/TraceChoice.h"
#include "seam/Text.h"
#include "tests/fakes/EngineFixture.h"
#include "tests/fakes/FakeCategories.h"
#include "tests/fakes/HistoryTable.h"

namespace engine {
namespace {

using K = HistorySourceKind;

constexpr seam::RegRoot kHkcu = seam::RegRoot::CurrentUser;
constexpr seam::RegRoot kHklm = seam::RegRoot::LocalMachine;
const std::string kTyped = fakes::SourceLabelled("인터넷기록", K::PlainData).keyPath;
const std::string kRunMru = fakes::SourceLabelled("실행기록", K::PlainData).keyPath;
const std::string kMuiCache = fakes::SourceOfKind(K::MuiCache).keyPath;
const std::string kHelp = fakes::SourceOfKind(K::Help).keyPath;
const std::string kGom = fakes::SourceReading("sRecentFile").keyPath;

class EndToEnd : public fakes::EngineFixture {
protected:
    EndToEnd() { m_view.List().SetBatching(true); }
    int CountOf(const std::string& code) {
        int n = 0;
        for (const auto& row : m_view.List().Rows()) n += row.Code() == code;
        return n;
    }
};

TEST_F(EndToEnd, AnalyseThenCleanRemovesExactlyTheTraces) {
    auto& reg = m_fake.registry;
    reg.SetString(kHkcu, kTyped, "url1", "http://a.example/");
    reg.SetString(kHkcu, kTyped, "url2", "http://b.example/");
    reg.SetString(kHkcu, kRunMru, "a", "cmd\\1");
    reg.SetString(kHkcu, kRunMru, "MRUList", "a");
    reg.SetString(kHkcu, kMuiCache, "C:\\Old\\tool.exe", "Tool");
    reg.SetString(kHkcu, kMuiCache, "C:\\Apps\\live.exe", "Live");
    m_fake.system.AddFile("C:\\Apps\\live.exe");
    reg.SetString(kHklm, kHelp, "old.hlp", "");
    reg.SetString(kHklm, kHelp, "kept.hlp", "C:\\Windows\\Help");
    reg.SetString(kHkcu, kGom, "sRecentFile", "C:\\Movies\\film.avi");
    reg.SetString(kHkcu, kGom, "nVolume", "50");
    reg.SetString(kHkcu, kIntelliFormsKeys[0], "s1", "x");
    reg.SetString(kHkcu, kIntelliFormsKeys[0], "s2", "y");
    reg.SetString(kHkcu, std::string(kIntelliFormsKeys[2]) + "\\sub", "deep", "z");
    reg.SetString(kHkcu, kIntelliFormsKeys[2], "h", "w");

    auto& procs = m_fake.processes;
    const uint32_t n1 = procs.Add("notepad.exe");
    const uint32_t n2 = procs.Add("notepad.exe");
    const uint32_t shell = procs.Add("explorer.exe");
    const uint32_t agent = procs.Add("qdownagent.exe");
    m_fake.services.Install("QuickDownload Agent", seam::kSvcRunning, 2, agent);

    Pass();  // analysis
    EXPECT_EQ(1, m_state.Count(seam::kGrid));
    EXPECT_EQ(2, m_state.Count(seam::kProcess));   // notepad twice; the agent is its service's, GRID's
    EXPECT_EQ(3, m_state.Count(seam::kRegistry));  // SPW's two, Storage2's one
    EXPECT_EQ(7, m_state.Count(seam::kRecent));    // 2 + 2 + 1 + 1 + 1
    EXPECT_EQ(13, m_view.List().Count());
    EXPECT_EQ(StatusCleanPrompt(), m_state.StatusText());
    EXPECT_TRUE(m_state.m_bAnalysed.load());
    EXPECT_EQ("RECENT", m_view.List().Rows().front().Code());
    EXPECT_EQ("GRID", m_view.List().Rows().back().Code());

    Pass();  // cleaning
    EXPECT_EQ(0, m_view.List().Count());
    EXPECT_EQ(StatusCleanDone(), m_state.StatusText());
    for (int c = 0; c < seam::kCategoryCount; ++c) EXPECT_EQ(0, m_state.Count(static_cast<seam::Category>(c))) << c;
    // Registry: the listed values gone, their keys and everything else kept.
    EXPECT_TRUE(reg.ValueNames(kHkcu, kTyped).empty());
    EXPECT_TRUE(reg.KeyExists(kHkcu, kTyped));
    EXPECT_TRUE(reg.ValueNames(kHkcu, kRunMru).empty());
    EXPECT_EQ((std::vector<std::string>{"C:\\Apps\\live.exe"}), reg.ValueNames(kHkcu, kMuiCache));
    EXPECT_EQ((std::vector<std::string>{"kept.hlp"}), reg.ValueNames(kHklm, kHelp));
    EXPECT_EQ((std::vector<std::string>{"nVolume"}), reg.ValueNames(kHkcu, kGom));
    for (const char* key : kIntelliFormsKeys) EXPECT_FALSE(reg.KeyExists(kHkcu, key)) << key;
    // Processes: both notepads and the agent ended, the shell and the program kept.
    EXPECT_FALSE(procs.IsRunning(n1));
    EXPECT_FALSE(procs.IsRunning(n2));
    EXPECT_FALSE(procs.IsRunning(agent));
    EXPECT_TRUE(procs.IsRunning(shell));
    EXPECT_TRUE(procs.IsRunning(procs.CurrentProcessId()));
    EXPECT_EQ(seam::kSvcStopped, m_fake.services.State("QuickDownload Agent"));
    EXPECT_EQ(2000u, m_fake.system.SleptMs());

    Pass();  // a new analysis finds nothing
    EXPECT_EQ(StatusNoItems(), m_state.StatusText());
    EXPECT_FALSE(m_state.m_bAnalysed.load());
}

TEST_F(EndToEnd, ValuesNamedOutsideCodePage949AreDeletedExactlyByTheirRealNames) {
    auto& reg = m_fake.registry;
    const std::string ko = "\xE0\xB8\x81";   // Thai letters: code page 949 has neither
    const std::string kho = "\xE0\xB8\x82";
    const std::string kALZip = fakes::SourceLabelled("알집기록", K::PlainData).keyPath;
    reg.SetStringUnicodeName(kHkcu, kTyped, "url" + ko, "http://a.example/");
    reg.SetStringUnicodeName(kHklm, kHelp, ko + ".chm", "");
    // Two names with one ANSI spelling: each row knows its own real name.
    reg.SetStringUnicodeName(kHkcu, kALZip, ko + "1", "D:\\a.alz");
    reg.SetStringUnicodeName(kHkcu, kALZip, kho + "1", "D:\\b.alz");

    Pass();
    ASSERT_EQ(4, CountOf("RECENT"));
    EXPECT_EQ(4, m_state.Count(seam::kRecent));
    // Only ALZip's first value and the typed address are cleaned; the others
    // stay for the next analysis.
    const auto rows = m_view.List().Rows();
    const auto first = std::find_if(rows.begin(), rows.end(), [](const seam::TraceItem& row) {
        return row.target.wideName == u"\u0E011";
    });
    ASSERT_NE(rows.end(), first);
    EXPECT_EQ("?1", first->text[seam::kColValue]);
    std::vector<seam::TraceItem> leftOut;
    for (const auto& row : rows)
        if (row.target.wideName != u"\u0E011" && row.target.wideName != u"url\u0E01") leftOut.push_back(row);
    ASSERT_EQ(2u, leftOut.size());
    ASSERT_EQ(2, LeaveOut(m_state, m_view, leftOut));
    Pass();

    EXPECT_FALSE(reg.UnicodeNamedValueExists(kHkcu, kTyped, "url" + ko));
    EXPECT_FALSE(reg.UnicodeNamedValueExists(kHkcu, kALZip, ko + "1"));
    EXPECT_TRUE(reg.UnicodeNamedValueExists(kHkcu, kALZip, kho + "1"));
    EXPECT_TRUE(reg.UnicodeNamedValueExists(kHklm, kHelp, ko + ".chm"));
    EXPECT_EQ(StatusCleanDone(), m_state.StatusText());
}

// A row that names its value only as the ANSI enumeration spelled it cannot
// tell two values spelled alike apart: neither is touched, and the row stays.
TEST_F(EndToEnd, ARowWithOnlyALossyNameSharedByTwoValuesTouchesNeither) {
    auto& reg = m_fake.registry;
    const std::string kALZip = fakes::SourceLabelled("알집기록", K::PlainData).keyPath;
    reg.SetStringUnicodeName(kHkcu, kALZip, "\xE0\xB8\x81" "1", "D:\\a.alz");
    reg.SetStringUnicodeName(kHkcu, kALZip, "\xE0\xB8\x82" "1", "D:\\b.alz");
    m_view.List().Assign({fakes::MakeTraceRow("RECENT", "D:\\a.alz", "HKEY_CURRENT_USER\\" + kALZip, "?1")});
    m_state.SetCount(seam::kRecent, 1);
    m_state.m_bAnalysed.store(true);
    Pass();
    EXPECT_TRUE(reg.UnicodeNamedValueExists(kHkcu, kALZip, "\xE0\xB8\x81" "1"));
    EXPECT_TRUE(reg.UnicodeNamedValueExists(kHkcu, kALZip, "\xE0\xB8\x82" "1"));
    EXPECT_EQ(1, CountOf("RECENT"));
    EXPECT_EQ(seam::Cp949FromUtf8("분석정리(100%) : 1개 항목을 정리하지 못했습니다."), m_state.StatusText());
}

TEST_F(EndToEnd, TracesThatResistStayListedAndAreReported) {
    const uint32_t stuck = m_fake.processes.Add("stuck.exe");
    m_fake.processes.SetTerminateMode(stuck, fakes::TerminateMode::Refuses);
    const uint32_t agent = m_fake.processes.Add("natsvc.exe");
    m_fake.services.Install("NATService", seam::kSvcRunning, -1, agent);

    Pass();
    ASSERT_EQ(2, m_view.List().Count());  // GRID natsvc and PROCESS stuck (natsvc is its service's)
    Pass();
    // natsvc's service never stops (bound reached) and stuck.exe refuses:
    // two rows stay.
    EXPECT_EQ(seam::Cp949FromUtf8("분석정리(100%) : 2개 항목을 정리하지 못했습니다."), m_state.StatusText());
    EXPECT_EQ(1, CountOf("PROCESS"));
    EXPECT_EQ(1, CountOf("GRID"));
    EXPECT_TRUE(m_fake.processes.IsRunning(stuck));
    EXPECT_EQ(1, m_state.Count(seam::kProcess));
    EXPECT_EQ(1, m_state.Count(seam::kGrid));
    EXPECT_EQ(1000u * kStopPollLimit, m_fake.system.SleptMs());

    // Categories with rows still pending are not scanned a second time.
    Pass();
    EXPECT_EQ(1, CountOf("PROCESS"));
    EXPECT_EQ(1, CountOf("GRID"));
    EXPECT_EQ(StatusCleanPrompt(), m_state.StatusText());
}

TEST_F(EndToEnd, AgentsWhoseServicesDoNotStopStayListedOnceWithTheirCount) {
    const uint32_t refuses = m_fake.processes.Add("GDownService.exe");
    m_fake.services.Install("GDownService", seam::kSvcRunning, 0, refuses);
    m_fake.services.SetStopMode("GDownService", fakes::StopMode::Refuses);
    const uint32_t ignores = m_fake.processes.Add("OnDiskDownService.exe");
    m_fake.services.Install("OnDiskDownService", seam::kSvcRunning, 0, ignores);
    m_fake.services.SetStopMode("OnDiskDownService", fakes::StopMode::Ignores);
    m_state.SetEnabled(seam::kProcess, false);

    Pass();
    ASSERT_EQ(2, CountOf("GRID"));
    Pass();
    EXPECT_EQ(2, CountOf("GRID"));
    EXPECT_EQ(2, m_state.Count(seam::kGrid));
    EXPECT_EQ("2", m_state.CountText(seam::kGrid));
    EXPECT_EQ(seam::kSvcRunning, m_fake.services.State("GDownService"));
    EXPECT_EQ(seam::kSvcRunning, m_fake.services.State("OnDiskDownService"));
    EXPECT_EQ(seam::Cp949FromUtf8("분석정리(100%) : 2개 항목을 정리하지 못했습니다."), m_state.StatusText());

    Pass();  // not scanned again: each agent is listed once
    EXPECT_EQ(2, CountOf("GRID"));
    EXPECT_EQ(2, m_state.Count(seam::kGrid));
}

TEST_F(EndToEnd, AProcessRowThatStaysKeepsItsCounterAboveZero) {
    // One that refuses, beside a program with a copy started after the
    // analysis: that copy was never listed, and the pass leaves it.
    const uint32_t stuck = m_fake.processes.Add("stuck.exe");
    m_fake.processes.SetTerminateMode(stuck, fakes::TerminateMode::Refuses);
    const uint32_t game = m_fake.processes.Add("game.exe");
    Pass();
    ASSERT_EQ(2, CountOf("PROCESS"));
    const uint32_t late = m_fake.processes.Add("game.exe");
    Pass();
    EXPECT_FALSE(m_fake.processes.IsRunning(game));
    EXPECT_TRUE(m_fake.processes.IsRunning(late));
    EXPECT_TRUE(m_fake.processes.IsRunning(stuck));
    EXPECT_EQ(1, CountOf("PROCESS"));
    EXPECT_EQ(1, m_state.Count(seam::kProcess));
    EXPECT_EQ("1", m_state.CountText(seam::kProcess));
    Pass();
    EXPECT_EQ(1, CountOf("PROCESS")) << "the process was listed a second time";
    EXPECT_EQ(StatusCleanPrompt(), m_state.StatusText());
}

TEST_F(EndToEnd, AProcessAWatchdogStartsAgainIsANewTraceOfTheNextAnalysis) {
    const uint32_t watched = m_fake.processes.Add("watched.exe");
    m_fake.processes.SetTerminateMode(watched, fakes::TerminateMode::Respawns);
    Pass();
    ASSERT_EQ(1, CountOf("PROCESS"));
    Pass();
    EXPECT_FALSE(m_fake.processes.IsRunning(watched));
    EXPECT_EQ(1, m_fake.processes.RunningCount("watched.exe"));
    EXPECT_EQ(0, CountOf("PROCESS"));
    EXPECT_EQ(0, m_state.Count(seam::kProcess));
    Pass();
    EXPECT_EQ(1, CountOf("PROCESS"));
}

TEST_F(EndToEnd, RowsThatLeftDoNotHoldTheirCounterAboveZero) {
    // Both end by themselves between the analysis and the cleaning: nothing
    // is left to end, and their rows leave.
    const uint32_t tool = m_fake.processes.Add("tool.exe");
    const uint32_t agent = m_fake.processes.Add("WinCloud.exe");  // its service is not installed
    Pass();
    ASSERT_EQ(1, CountOf("GRID"));
    ASSERT_EQ(2, CountOf("PROCESS"));  // tool and the agent
    m_fake.processes.End(tool);
    m_fake.processes.End(agent);
    Pass();
    EXPECT_EQ(0, m_view.List().Count());
    EXPECT_EQ(0, m_state.Count(seam::kGrid));
    EXPECT_EQ(0, m_state.Count(seam::kProcess));
    EXPECT_EQ("0", m_state.CountText(seam::kProcess));
    EXPECT_EQ(StatusCleanDone(), m_state.StatusText());

    // Started again: the next analysis finds them.
    m_fake.processes.Add("tool.exe");
    m_fake.processes.Add("WinCloud.exe");
    Pass();
    EXPECT_EQ(1, CountOf("GRID"));
    EXPECT_EQ(2, CountOf("PROCESS"));
}

}  // namespace
}  // namespace engine
