// The unattended run over the whole fake machine: what /analyse lists and
// leaves alone, what /clean removes, which traces stay and why, the exit
// code, the usage switch, and the report's exact form.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/history/IntelliFormsKeys.h"
#include "engine/unattended/Report.h"
#include "engine/unattended/ReportTexts.h"
#include "engine/unattended/Unattended.h"
#include "net/Server.h"
#include "net/UsageSwitch.h"
#include "seam/Text.h"
#include "tests/fakes/FakePlatform.h"

namespace engine {
namespace {

constexpr auto kHkcu = seam::RegRoot::CurrentUser;
const std::string kTyped = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
const std::string kTypedText = "HKEY_CURRENT_USER\\" + kTyped;
const std::string kThaiKo = "\xE0\xB8\x81";   // code page 949 has neither letter
const std::string kThaiKho = "\xE0\xB8\x82";

class Unattended : public ::testing::Test {
protected:
    Unattended() {
        m_fake.net.SetOnline(true);
        auto& reg = m_fake.registry;
        reg.SetString(kHkcu, kTyped, "url1", "http://a.example/");
        reg.SetString(kHkcu, kTyped, "url2", "http://b.example/");
        reg.SetString(kHkcu, kIntelliFormsKeys[2], "5A6B", "secret");
        m_notes = m_fake.processes.Add("notes.exe");
    }
    void TearDown() override {
        EXPECT_EQ(0, m_fake.registry.OpenHandleCount());
        EXPECT_EQ(0, m_fake.processes.OpenHandleCount());
        EXPECT_EQ(0, m_fake.services.OpenHandleCount());
    }

    UnattendedOutcome Run(std::vector<seam::Category> categories, bool bClean) {
        bool chosen[seam::kCategoryCount] = {};
        for (seam::Category c : categories) chosen[c] = true;
        return RunUnattended(m_fake.platform, chosen, bClean);
    }
    std::vector<std::string> Lines(const std::string& report) {
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = report.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(report.substr(start, end - start));
        EXPECT_EQ(report.size(), start) << "the report does not end with a line end";
        return lines;
    }

    fakes::FakePlatform m_fake;
    uint32_t m_notes = 0;
};

TEST_F(Unattended, AnalyseListsEveryTraceAndChangesNothing) {
    const UnattendedOutcome outcome = Run({seam::kRecent, seam::kRegistry, seam::kProcess}, false);
    EXPECT_EQ(kExitDone, outcome.ExitCode());
    EXPECT_EQ(2, outcome.found[seam::kRecent]);
    EXPECT_EQ(1, outcome.found[seam::kRegistry]);
    EXPECT_EQ(1, outcome.found[seam::kProcess]);
    EXPECT_EQ(0, outcome.found[seam::kGrid]);
    ASSERT_EQ(4u, outcome.listed.size());
    EXPECT_TRUE(outcome.left.empty());
    EXPECT_EQ(2u, m_fake.registry.ValueNames(kHkcu, kTyped).size());
    EXPECT_TRUE(m_fake.registry.KeyExists(kHkcu, kIntelliFormsKeys[2]));
    EXPECT_TRUE(m_fake.processes.IsRunning(m_notes));
    EXPECT_EQ(0, m_fake.registry.DeleteValueCalls());
    EXPECT_EQ(0, m_fake.registry.DeleteKeyCalls());

    const std::vector<std::string> lines = Lines(FormatReport(outcome));
    ASSERT_EQ(3u + 4u, lines.size());
    EXPECT_EQ("RECENT: 발견 2", lines[0]);
    EXPECT_EQ("REGISTRY: 발견 1", lines[1]);
    EXPECT_EQ("PROCESS: 발견 1", lines[2]);
    int listedRecent = 0;
    for (size_t i = 3; i < lines.size(); ++i) {
        EXPECT_EQ(0u, lines[i].rfind("발견\t", 0)) << lines[i];
        listedRecent += lines[i].find("\t" + kTypedText + "\turl") != std::string::npos;
    }
    EXPECT_EQ(2, listedRecent);
}

TEST_F(Unattended, DefaultCategoriesCleanTheRegistryAndLeaveProgramsRunning) {
    const UnattendedOutcome outcome = Run({seam::kRecent, seam::kRegistry}, true);
    EXPECT_EQ(kExitDone, outcome.ExitCode());
    EXPECT_EQ(2, outcome.cleaned[seam::kRecent]);
    EXPECT_EQ(1, outcome.cleaned[seam::kRegistry]);
    EXPECT_TRUE(m_fake.registry.ValueNames(kHkcu, kTyped).empty());
    EXPECT_FALSE(m_fake.registry.KeyExists(kHkcu, kIntelliFormsKeys[2]));
    EXPECT_TRUE(m_fake.processes.IsRunning(m_notes));
    EXPECT_EQ((std::vector<std::string>{"RECENT: 발견 2, 정리 2", "REGISTRY: 발견 1, 정리 1"}),
              Lines(FormatReport(outcome)));
}

TEST_F(Unattended, TracesThatStayGiveExitOneAndSayWhy) {
    auto& reg = m_fake.registry;
    // Two values spelled alike in code page 949: each is removed by the exact
    // name the registry holds, so neither stays.
    reg.SetStringUnicodeName(kHkcu, kTyped, "url" + kThaiKo, "http://c.example/");
    reg.SetStringUnicodeName(kHkcu, kTyped, "url" + kThaiKho, "http://d.example/");
    reg.SetString(kHkcu, kIntelliFormsKeys[0] + std::string("\\sub"), "v", "x");
    reg.Deny(kHkcu, kIntelliFormsKeys[0] + std::string("\\sub"), fakes::kDenyDeleteKey);
    const uint32_t locked = m_fake.processes.Add("locked.exe");
    m_fake.processes.SetOpenFails(locked, true);
    const uint32_t stubborn = m_fake.processes.Add("stubborn.exe");
    m_fake.processes.SetTerminateMode(stubborn, fakes::TerminateMode::Ignores);

    const UnattendedOutcome outcome = Run({seam::kRecent, seam::kRegistry, seam::kProcess}, true);
    EXPECT_EQ(kExitSomeLeft, outcome.ExitCode());
    EXPECT_EQ(4, outcome.found[seam::kRecent]);
    EXPECT_EQ(4, outcome.cleaned[seam::kRecent]);
    EXPECT_TRUE(reg.ValueNames(kHkcu, kTyped).empty());
    EXPECT_EQ(1, outcome.found[seam::kRegistry]);
    EXPECT_EQ(0, outcome.cleaned[seam::kRegistry]);
    EXPECT_EQ(3, outcome.found[seam::kProcess]);
    EXPECT_EQ(1, outcome.cleaned[seam::kProcess]);
    EXPECT_FALSE(m_fake.processes.IsRunning(m_notes));

    std::vector<std::string> why;
    for (const LeftTrace& trace : outcome.left)
        why.push_back(trace.row.Code() + " " + trace.row.text[seam::kColValue] + trace.row.Name() + " " +
                      ReasonText(trace.why));
    std::sort(why.begin(), why.end());
    EXPECT_EQ((std::vector<std::string>{"PROCESS locked.exe 접근 거부", "PROCESS stubborn.exe 아직 실행 중",
                                        "REGISTRY 5A6B5A6B 지운 뒤에도 남아 있음"}),
              why);

    const std::vector<std::string> lines = Lines(FormatReport(outcome));
    ASSERT_EQ(3u + 3u, lines.size());
    EXPECT_EQ("RECENT: 발견 4, 정리 4", lines[0]);
    EXPECT_EQ("REGISTRY: 발견 1, 정리 0", lines[1]);
    EXPECT_EQ("PROCESS: 발견 3, 정리 1", lines[2]);
    EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), "정리 못함\tPROCESS\tlocked.exe\t\t\t접근 거부"));
    for (const std::string& line : lines) EXPECT_EQ(std::string::npos, line.find("\tRECENT\t")) << line;
}

// Shortcuts of the Recent folder that cleaning cannot remove: one a program
// holds open, one read-only; the plain one beside them goes.
TEST_F(Unattended, RecentFilesThatStaySayWhetherInUseOrDenied) {
    std::u16string recent;
    ASSERT_EQ(seam::kErrSuccess, m_fake.files.KnownFolderPath(seam::KnownFolder::Recent, recent));
    for (const char16_t* name : {u"held.lnk", u"locked.lnk", u"plain.lnk"})
        ASSERT_TRUE(m_fake.files.WriteFile(recent + u"\\" + name, "not a shortcut"));
    m_fake.files.HoldOpen(recent + u"\\held.lnk");
    m_fake.files.SetAttributes(recent + u"\\locked.lnk", seam::kAttrReadOnly);

    const UnattendedOutcome outcome = Run({seam::kRecent}, true);
    EXPECT_EQ(kExitSomeLeft, outcome.ExitCode());
    EXPECT_EQ(5, outcome.found[seam::kRecent]);  // the two history values and the three shortcuts
    EXPECT_EQ(3, outcome.cleaned[seam::kRecent]);
    std::vector<std::string> why;
    for (const LeftTrace& trace : outcome.left)
        why.push_back(trace.row.text[seam::kColValue] + " " + ReasonText(trace.why));
    std::sort(why.begin(), why.end());
    EXPECT_EQ((std::vector<std::string>{"held.lnk 다른 프로그램이 사용 중", "locked.lnk 접근 거부"}), why);
    EXPECT_FALSE(m_fake.files.Exists(recent + u"\\plain.lnk"));
}

TEST_F(Unattended, ServicesTheManagerRefusesAreAccessDenied) {
    const uint32_t agent = m_fake.processes.Add("qdownagent.exe");
    m_fake.services.Install("QuickDownload Agent", seam::kSvcRunning, 0, agent);
    m_fake.services.SetManagerFails(true);
    const UnattendedOutcome outcome = Run({seam::kGrid}, true);
    EXPECT_EQ(kExitSomeLeft, outcome.ExitCode());
    ASSERT_EQ(1u, outcome.left.size());
    EXPECT_EQ(RowFate::Denied, outcome.left[0].why);
    EXPECT_TRUE(m_fake.processes.IsRunning(agent));
}

// An agent whose service is not installed is a program like any other:
// ended as a PROCESS trace first, its GRID trace is gone with it.
TEST_F(Unattended, AnAgentWithoutItsServiceGoesWithItsProgram) {
    const uint32_t agent = m_fake.processes.Add("qdownagent.exe");
    const UnattendedOutcome outcome = Run({seam::kGrid, seam::kProcess}, true);
    EXPECT_EQ(1, outcome.found[seam::kGrid]);
    EXPECT_EQ(1, outcome.cleaned[seam::kGrid]);
    EXPECT_EQ(outcome.found[seam::kProcess], outcome.cleaned[seam::kProcess]);
    EXPECT_TRUE(outcome.left.empty());
    EXPECT_EQ(kExitDone, outcome.ExitCode());
    EXPECT_FALSE(m_fake.processes.IsRunning(agent));
}

TEST_F(Unattended, UsageCountsFollowTheSwitchAndNothingElseIsFetched) {
    Run({seam::kRecent}, true);
    const std::string base = net::ServerBase();
    EXPECT_EQ((std::vector<std::string>{base + "/request/count.php?mode=analysis&key=kestravin",
                                        base + "/request/count.php?mode=clean&key=kestravin"}),
              m_fake.net.RequestedUrls());

    // Nothing found: no cleaning pass, so no cleaning count either.
    Run({seam::kRecent}, true);
    EXPECT_EQ(3u, m_fake.net.RequestedUrls().size());

    ASSERT_EQ(seam::kErrSuccess, net::SetUsageCountOn(m_fake.registry, false));
    m_fake.registry.SetString(kHkcu, kTyped, "url9", "http://z.example/");
    const UnattendedOutcome outcome = Run({seam::kRecent}, true);
    EXPECT_EQ(1, outcome.cleaned[seam::kRecent]);
    EXPECT_EQ(3u, m_fake.net.RequestedUrls().size()) << "a usage request went out with the switch off";
}

TEST(UnattendedReport, FieldsAreUtf8OnOneLineEachAndErrorsNameTheArgument) {
    UnattendedOutcome outcome;
    outcome.bClean = true;
    outcome.chosen[seam::kGrid] = outcome.chosen[seam::kRecent] = true;
    outcome.found[seam::kRecent] = 3;
    outcome.cleaned[seam::kRecent] = 1;
    seam::TraceItem row;
    row.text[seam::kColName] = seam::Cp949FromUtf8("가족\r\n사진.bmp");
    row.text[seam::kColCode] = "RECENT";
    row.text[seam::kColRegKey] = "HKEY_CURRENT_USER\\Software\\A\tB";
    row.text[seam::kColValue] = "File1";
    outcome.left.push_back({row, RowFate::Denied});
    row.text[seam::kColName] = "gone.exe";
    row.text[seam::kColCode] = "GRID";
    row.text[seam::kColRegKey].clear();
    row.text[seam::kColValue].clear();
    outcome.left.push_back({row, RowFate::StillRunning});
    EXPECT_EQ("RECENT: 발견 3, 정리 1\r\n"
              "GRID: 발견 0, 정리 0\r\n"
              "정리 못함\tRECENT\t가족??사진.bmp\tHKEY_CURRENT_USER\\Software\\A?B\tFile1\t접근 거부\r\n"
              "정리 못함\tGRID\tgone.exe\t\t\t아직 실행 중\r\n",
              FormatReport(outcome));
    EXPECT_EQ(kExitSomeLeft, outcome.ExitCode());

    // What no row holds comes last: a database not read, a file that stayed.
    outcome.left.clear();
    EXPECT_EQ(kExitDone, outcome.ExitCode());
    outcome.notes.push_back({NoteKind::TooLarge, u"C:\\U\\크롬\\History"});
    outcome.notes.push_back({NoteKind::FileLeft, u"C:\\U\\Top\tSites", RowFate::InUse});
    EXPECT_EQ("RECENT: 발견 3, 정리 1\r\n"
              "GRID: 발견 0, 정리 0\r\n"
              "건너뜀\tC:\\U\\크롬\\History\t너무 큰 파일\r\n"
              "남은 파일\tC:\\U\\Top?Sites\t다른 프로그램이 사용 중\r\n",
              FormatReport(outcome));
    EXPECT_EQ(kExitSomeLeft, outcome.ExitCode()) << "a cleaning that left something did not clean it all";
    outcome.bClean = false;
    EXPECT_EQ(kExitSomeLeft, outcome.ExitCode()) << "a database an analysis could not read may hold traces";
    outcome.notes = {{NoteKind::Unreadable, u"C:\\U\\Recent\\AutomaticDestinations", RowFate::Linked},
                     {NoteKind::Unreadable, u"C:\\U\\a.automaticDestinations-ms"}};
    EXPECT_EQ("RECENT: 발견 3\r\n"
              "GRID: 발견 0\r\n"
              "건너뜀\tC:\\U\\Recent\\AutomaticDestinations\t링크를 거쳐 있어 건드리지 않음\r\n"
              "건너뜀\tC:\\U\\a.automaticDestinations-ms\t읽을 수 없음\r\n",
              FormatReport(outcome));
    EXPECT_EQ(kExitSomeLeft, outcome.ExitCode()) << "a place not read is no clean bill";

    CommandLine bad = ParseCommandLine("k.exe /clean:RECENT,HISTORY");
    EXPECT_EQ("잘못된 명령줄: 알 수 없는 분류: HISTORY\r\n", CommandErrorLine(bad));
    bad = ParseCommandLine("k.exe /report:C:\\r.txt");
    EXPECT_EQ("잘못된 명령줄: /clean이나 /analyse가 없음\r\n", CommandErrorLine(bad));
    EXPECT_EQ("잘못된 명령줄: 보고서 파일에 쓸 수 없음: C:\\없는 폴더\\r.txt\r\n",
              ReportUnwritableLine("C:\\없는 폴더\\r.txt"));
}

}  // namespace
}  // namespace engine
