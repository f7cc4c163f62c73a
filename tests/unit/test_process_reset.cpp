// Process reset over the fake process table: which processes are listed, and
// how cleaning a row ends the one process it names, never the program's own,
// never one of Windows' own, and never one that is not the user's.
#include <gtest/gtest.h>

#include "engine/processes/GridDelivery.h"
#include "engine/processes/ProcessChoice.h"
#include "engine/processes/ProcessReset.h"
#include "engine/core/Cp949.h"
#include "engine/processes/ProtectedProcesses.h"
#include "seam/Text.h"
#include "tests/fakes/FakeCompoundFiles.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeNet.h"
#include "tests/fakes/FakeProcesses.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeServices.h"
#include "tests/fakes/FakeShell.h"
#include "tests/fakes/FakeSystem.h"
#include "tests/fakes/FakeTrust.h"
#include "tests/fakes/FakeView.h"

namespace engine {
namespace {

using fakes::FakeProcesses;
using fakes::TerminateMode;

const char* const kExclusions[] = {
    "alg.exe", "csrss.exe", "ctfmon.exe", "explorer.exe", "LOGI_MWX.EXE", "lsass.exe", "nvsvc32.exe",
    "RTHDCPL.exe", "rundll32.exe", "services.exe", "System ldle Process", "update.exe", "smss.exe",
    "spoolsv.exe", "svchost.exe", "System", "winlogon.exe", "wuauclt.exe", "[System Process]",
    "NateOnMain.exe", "PotPlayerMini.exe", "AYUpdSrv.aye", "AppleMobileDeviceService.exe",
    "Kestravin.exe", "MSDEV.EXE", "AYAgent.aye", "AYRTSrv.aye", "conime.exe",
};

class ProcessReset : public ::testing::Test {
protected:
    explicit ProcessReset(const std::string& selfExe = "Kestravin.exe") : m_procs(selfExe) {}
    void TearDown() override {
        EXPECT_EQ(0, m_procs.OpenHandleCount()) << "a process handle was left open";
        EXPECT_EQ(0, m_procs.BadCloseCount());
        EXPECT_EQ(0, m_reg.OpenHandleCount()) << "a registry key was left open";
    }
    void Scan() { ScanProcesses(m_platform, m_state, m_view); }
    void ScanGrid() { ScanGridAgents(m_procs, m_state, m_view); }
    // A row for the process as analysis would make it, whether or not it was
    // listed: a stale row, or one typed by hand.
    seam::TraceTarget RowOf(uint32_t pid, const std::string& name) {
        seam::TraceTarget target;
        target.kind = seam::TargetKind::Process;
        target.name = name;
        target.id = pid;
        target.started = m_procs.StartedAt(pid);
        return target;
    }
    engine::RowFate End(uint32_t pid, const std::string& name) { return EndListedProcess(m_platform, RowOf(pid, name)); }
    bool Ended(uint32_t pid, const std::string& name) { return IsGone(End(pid, name)); }
    // Cleans every listed row whose name is `name` in any case, as the pass
    // hands one program's rows over together.
    std::vector<engine::RowFate> CleanListed(const std::string& name) {
        RowBatch rows;
        std::vector<seam::TraceItem> listed = m_view.List().Rows();
        for (const auto& row : listed) {
            if (LowerAscii949(row.target.name) == LowerAscii949(name)) rows.push_back(&row);
        }
        std::vector<engine::RowFate> fates;
        EndPrograms(m_platform, rows, fates);
        return fates;
    }
    std::vector<std::string> Names() {
        std::vector<std::string> out;
        for (const auto& row : m_view.List().Rows()) out.push_back(row.Name());
        return out;
    }

    fakes::FakeProcesses m_procs;
    fakes::FakeRegistry m_reg;
    fakes::FakeServices m_services{&m_procs};
    fakes::FakeNet m_net;
    fakes::FakeSystem m_system;
    fakes::FakeFileSystem m_files;
    fakes::FakeShell m_shell;
    fakes::FakeTrust m_trust{&m_files};
    fakes::FakeCompoundFiles m_compoundFiles{&m_files};
    seam::Platform m_platform{m_reg,    m_procs, m_services, m_net,          m_system,
                              m_files,  m_shell, m_trust,    m_compoundFiles};
    EngineState m_state;
    fakes::FakeView m_view{&m_state};
};

class ProcessResetRenamed : public ProcessReset {
protected:
    ProcessResetRenamed() : ProcessReset("Kestravin (1).exe") {}
};

TEST_F(ProcessReset, ExclusionListIsMatchedExactlyAndCaseSensitively) {
    for (const char* name : kExclusions) m_procs.Add(name);
    m_procs.Add("ALG.EXE");
    m_procs.Add("System Idle Process");  // the real name, with a capital I
    m_procs.Add("explorer.exe ");
    const uint32_t notepad = m_procs.Add("notepad.exe");
    Scan();

    EXPECT_EQ((std::vector<std::string>{"notepad.exe", "explorer.exe ", "System Idle Process", "ALG.EXE"}),
              Names());
    EXPECT_EQ(4, m_state.Count(seam::kProcess));
    const seam::TraceItem row = m_view.List().Rows().at(0);
    EXPECT_EQ(seam::Cp949FromUtf8("프로세스"), row.text[seam::kColRead]);
    EXPECT_EQ("PROCESS", row.text[seam::kColCode]);
    EXPECT_EQ("", row.text[seam::kColRegKey]);
    EXPECT_EQ("", row.text[seam::kColValue]);
    EXPECT_EQ("", row.text[seam::kColData]);
    EXPECT_EQ(seam::TargetKind::Process, row.target.kind);
    EXPECT_EQ("notepad.exe", row.target.name);
    EXPECT_EQ(notepad, row.target.id);
    EXPECT_EQ(m_procs.StartedAt(notepad), row.target.started);
    for (const char* name : kExclusions) EXPECT_TRUE(IsExcludedProcess(name)) << name;
}

TEST_F(ProcessReset, OtherCategoriesWalkAndFailedSnapshotsListNothing) {
    const uint32_t notepad = m_procs.Add("notepad.exe");
    ScanGrid();  // the same snapshot, another category: notepad is no agent
    EXPECT_TRUE(Names().empty());
    m_procs.SetSnapshotFails(true);
    Scan();
    EXPECT_TRUE(Names().empty());
    EXPECT_EQ(0, m_state.Count(seam::kProcess));
    EXPECT_EQ(engine::RowFate::StillThere, End(notepad, "notepad.exe"));  // cannot tell whether it is there
    EXPECT_TRUE(m_procs.IsRunning(notepad));
}

TEST_F(ProcessReset, EachRowEndsItsOwnProcessOnceWithExitCodeOne) {
    const uint32_t first = m_procs.Add("Game.exe");
    const uint32_t second = m_procs.Add("Game.exe");
    Scan();
    EXPECT_EQ((std::vector<std::string>{"Game.exe", "Game.exe"}), Names());
    EXPECT_EQ(2, m_state.Count(seam::kProcess));

    // A copy started after the analysis was never shown: it stays.
    const uint32_t late = m_procs.Add("GAME.EXE");
    EXPECT_EQ(std::vector<engine::RowFate>(2, engine::RowFate::Removed), CleanListed("game.exe"));
    EXPECT_EQ((std::vector<uint32_t>{second, first}), m_procs.Terminated());
    EXPECT_EQ((std::vector<uint32_t>{1, 1}), m_procs.TerminateCodes()) << "never STILL_ACTIVE";
    EXPECT_TRUE(m_procs.IsRunning(late));

    // Asked again, nothing is left of either: gone already, nothing changes.
    EXPECT_EQ(std::vector<engine::RowFate>(2, engine::RowFate::AlreadyGone), CleanListed("Game.exe"));
    EXPECT_EQ(2u, m_procs.Terminated().size());
}

TEST_F(ProcessReset, CaseFoldingLeavesDoubleByteCharactersAlone) {
    // "\x81\x41" and "\x81\x61" are two different characters; a byte-wise
    // tolower would turn the first into the second.
    const uint32_t target = m_procs.Add("\x81\x41.EXE");
    const uint32_t other = m_procs.Add("\x81\x61.exe");
    EXPECT_EQ(engine::RowFate::Removed, End(target, "\x81\x41.exe"));
    EXPECT_EQ(engine::RowFate::AlreadyGone, End(other, "\x81\x41.exe")) << "the id names another program";
    EXPECT_FALSE(m_procs.IsRunning(target));
    EXPECT_TRUE(m_procs.IsRunning(other));
}

TEST_F(ProcessReset, FailedTerminationsLeaveTheTraceAndTheCount) {
    m_state.SetCount(seam::kProcess, 2);
    const uint32_t refuses = m_procs.Add("stuck.exe");
    m_procs.SetTerminateMode(refuses, fakes::TerminateMode::Refuses);
    EXPECT_EQ(engine::RowFate::StillRunning, End(refuses, "stuck.exe"));
    EXPECT_TRUE(m_procs.IsRunning(refuses));

    // Accepted but never ends within the bound.
    const uint32_t hangs = m_procs.Add("hang.exe");
    m_procs.SetTerminateMode(hangs, fakes::TerminateMode::Ignores);
    EXPECT_EQ(engine::RowFate::StillRunning, End(hangs, "hang.exe"));
    EXPECT_TRUE(m_procs.IsRunning(hangs));

    // Cannot be opened (another user's, elevated).
    const uint32_t locked = m_procs.Add("locked.exe");
    m_procs.SetOpenFails(locked, true);
    EXPECT_EQ(engine::RowFate::Denied, End(locked, "locked.exe"));
    EXPECT_EQ(2, m_state.Count(seam::kProcess));
    EXPECT_TRUE(m_view.CounterChanges().empty());

    // Ended from outside meanwhile: nothing left, so the trace is gone.
    m_procs.End(locked);
    EXPECT_EQ(engine::RowFate::AlreadyGone, End(locked, "locked.exe"));
}

TEST_F(ProcessReset, AProcessThatEndsOnlyAfterTheBoundedWaitIsGone) {
    const uint32_t slow = m_procs.Add("slow.exe");
    m_procs.SetTerminateMode(slow, fakes::TerminateMode::EndsLate);
    Scan();
    ASSERT_EQ(1, m_state.Count(seam::kProcess));
    EXPECT_EQ(std::vector<engine::RowFate>{engine::RowFate::Removed}, CleanListed("slow.exe"));
    EXPECT_FALSE(m_procs.IsRunning(slow));
}

TEST_F(ProcessReset, AProcessStartedAgainByAWatchdogIsANewProcessNotTheRow) {
    const uint32_t first = m_procs.Add("agent.exe");
    m_procs.SetTerminateMode(first, fakes::TerminateMode::Respawns);
    Scan();
    // The listed process ends; the one started in its place was never
    // listed, and the next analysis will show it.
    EXPECT_EQ(std::vector<engine::RowFate>{engine::RowFate::Removed}, CleanListed("agent.exe"));
    EXPECT_FALSE(m_procs.IsRunning(first));
    EXPECT_EQ(1, m_procs.RunningCount("agent.exe"));
    EXPECT_EQ((std::vector<uint32_t>{first}), m_procs.Terminated());
}

TEST_F(ProcessReset, OtherCopiesOfTheProgramAreTreatedByName) {
    const uint32_t copy = m_procs.Add("Kestravin.exe");  // another copy, same name: excluded
    const uint32_t renamed = m_procs.Add("Kestravin (1).exe");
    Scan();
    EXPECT_EQ((std::vector<std::string>{"Kestravin (1).exe"}), Names());
    EXPECT_EQ(std::vector<engine::RowFate>{engine::RowFate::Removed}, CleanListed("Kestravin (1).exe"));
    EXPECT_FALSE(m_procs.IsRunning(renamed));
    EXPECT_TRUE(m_procs.IsRunning(copy));
}

TEST_F(ProcessResetRenamed, TheProgramNeverListsOrEndsItself) {
    const uint32_t self = m_procs.CurrentProcessId();
    const uint32_t other = m_procs.Add("kestravin (1).EXE");
    Scan();
    ScanGrid();
    EXPECT_EQ((std::vector<std::string>{"kestravin (1).EXE"}), Names());

    // A row naming the program itself stays, whatever its name.
    EXPECT_EQ(engine::RowFate::Denied, End(self, "Kestravin (1).exe"));
    EXPECT_TRUE(m_procs.IsRunning(self));
    EXPECT_EQ(std::vector<engine::RowFate>{engine::RowFate::Removed}, CleanListed("Kestravin (1).exe"));
    EXPECT_FALSE(m_procs.IsRunning(other));
    EXPECT_EQ((std::vector<uint32_t>{other}), m_procs.Terminated());
    EXPECT_EQ(0, CountRunning(m_procs, "KESTRAVIN (1).EXE"));
}

const char* const kCoreProcesses[] = {
    "System", "Registry", "Memory Compression", "Secure System", "smss.exe", "csrss.exe",
    "wininit.exe", "winlogon.exe", "services.exe", "lsass.exe", "lsm.exe", "LsaIso.exe", "LogonUI.exe",
    "userinit.exe", "dwm.exe", "fontdrvhost.exe", "sihost.exe", "taskhost.exe", "taskhostw.exe",
    "taskeng.exe", "RuntimeBroker.exe", "ShellExperienceHost.exe", "StartMenuExperienceHost.exe",
    "SearchHost.exe", "SearchApp.exe", "SearchUI.exe", "SearchIndexer.exe", "TextInputHost.exe",
    "ctfmon.exe", "conhost.exe", "dllhost.exe", "audiodg.exe", "WmiPrvSE.exe", "WUDFHost.exe",
    "spoolsv.exe", "svchost.exe", "explorer.exe", "MsMpEng.exe", "NisSrv.exe",
    "MpDefenderCoreService.exe", "SecurityHealthService.exe", "SecurityHealthSystray.exe",
    "SgrmBroker.exe", "smartscreen.exe",
    "msiexec.exe", "TrustedInstaller.exe", "TiWorker.exe", "MoUsoCoreWorker.exe", "UsoCoreWorker.exe",
    "wuauclt.exe", "DismHost.exe",
    "poqexec.exe",
};

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

TEST_F(ProcessReset, WindowsCoreProcessesAreNeitherListedNorEndedInAnyCase) {
    std::vector<std::pair<uint32_t, std::string>> core;
    for (const char* name : kCoreProcesses) {
        core.emplace_back(m_procs.Add(name), name);
        core.emplace_back(m_procs.Add(Upper(name)), Upper(name));
    }
    m_procs.Add("notes.exe");
    Scan();
    EXPECT_EQ((std::vector<std::string>{"notes.exe"}), Names());
    EXPECT_EQ(1, m_state.Count(seam::kProcess));

    // Rows typed by hand: nothing ends, every row stays as not cleaned.
    for (const auto& [pid, name] : core) EXPECT_EQ(engine::RowFate::Denied, End(pid, name)) << name;
    EXPECT_TRUE(m_procs.Terminated().empty());
    for (const auto& [pid, name] : core) EXPECT_TRUE(m_procs.IsRunning(pid)) << name;
    EXPECT_EQ(1, m_state.Count(seam::kProcess));
    for (const char* name : kCoreProcesses) EXPECT_TRUE(IsCoreProcessName(name)) << name;
}

// What a Wine 8 prefix runs of its own (seen in its process list), and what
// else Wine starts when it is needed.
const char* const kWineProcesses[] = {
    "services.exe", "winedevice.exe", "svchost.exe", "rpcss.exe", "plugplay.exe", "msiexec.exe",
    "spoolsv.exe", "termsv.exe", "winmgmt.exe", "wuauserv.exe", "PresentationFontCache.exe",
    "explorer.exe", "conhost.exe", "wineconsole.exe", "wineboot.exe", "start.exe", "winedbg.exe",
    "winemenubuilder.exe",
};

TEST_F(ProcessReset, WineOwnProcessesAreProtectedOnlyUnderWine) {
    // On Windows these are names like any other: a program may be called
    // start.exe. (Those that are Windows' own names too stay protected.)
    const uint32_t device = m_procs.Add("winedevice.exe");
    const uint32_t starter = m_procs.Add("start.exe");
    const uint32_t notes = m_procs.Add("notes.exe");
    Scan();
    EXPECT_EQ((std::vector<std::string>{"notes.exe", "start.exe", "winedevice.exe"}), Names());
    EXPECT_TRUE(Ended(starter, "start.exe"));
    EXPECT_TRUE(Ended(device, "winedevice.exe"));
    for (const char* name : kWineProcesses) EXPECT_TRUE(IsWineProcessName(Upper(name))) << name;
    EXPECT_FALSE(IsWineProcessName("wine.exe"));
    EXPECT_FALSE(IsWineProcessName("winedevice.exe.bak"));

    // Under Wine, in any letter case: listed nowhere, ended never, the row
    // stays; ordinary programs are listed and ended as before.
    m_system.SetWineVersion("8.0");
    m_view.List().Assign({});
    m_state.SetCount(seam::kProcess, 0);
    std::vector<std::pair<uint32_t, std::string>> wine;
    for (const char* name : kWineProcesses) {
        wine.emplace_back(m_procs.Add(name), name);
        wine.emplace_back(m_procs.Add(Upper(name)), Upper(name));
    }
    Scan();
    EXPECT_EQ((std::vector<std::string>{"notes.exe"}), Names());
    EXPECT_EQ(1, m_state.Count(seam::kProcess));
    for (const auto& [pid, name] : wine) EXPECT_EQ(engine::RowFate::Denied, End(pid, name)) << name;
    EXPECT_EQ((std::vector<uint32_t>{starter, device}), m_procs.Terminated()) << "only the two ended on Windows";
    for (const auto& [pid, name] : wine) EXPECT_TRUE(m_procs.IsRunning(pid)) << name;
    EXPECT_TRUE(Ended(notes, "notes.exe"));
}

TEST_F(ProcessReset, ProtectedNamesFoldOnlyAsciiLetters) {
    EXPECT_FALSE(IsCoreProcessName("dwm.exe "));
    EXPECT_FALSE(IsCoreProcessName(seam::Cp949FromUtf8("가dwm.exe")));
    EXPECT_FALSE(IsCoreProcessName("System Idle Process"));
    EXPECT_TRUE(IsCoreProcessName("SiHost.EXE"));

    // "\x81\x41" and "\x81\x61" are two different characters: a byte-wise
    // tolower would make the listed name protect the other one too.
    m_reg.SetDword(seam::RegRoot::LocalMachine, kSysProcsKey, "\x81\x41" "Agent.EXE", 1);
    const uint32_t listed = m_procs.Add("\x81\x41" "agent.exe");
    const uint32_t other = m_procs.Add("\x81\x61" "agent.exe");
    Scan();
    EXPECT_EQ((std::vector<std::string>{"\x81\x61" "agent.exe"}), Names());
    EXPECT_EQ(engine::RowFate::Denied, End(listed, "\x81\x41" "AGENT.exe"));
    EXPECT_TRUE(m_procs.IsRunning(listed));
    EXPECT_TRUE(Ended(other, "\x81\x61" "agent.exe"));
}

TEST_F(ProcessReset, CriticalProcessUnderAnOrdinaryNameIsProtected) {
    const uint32_t critical = m_procs.Add("innocent.exe");
    m_procs.SetCritical(critical, seam::Criticality::Critical);
    const uint32_t plain = m_procs.Add("innocent.exe");
    const uint32_t unknown = m_procs.Add("unasked.exe");  // cannot be asked: judged by its name
    m_procs.SetCritical(unknown, seam::Criticality::Unknown);
    Scan();
    EXPECT_EQ((std::vector<std::string>{"unasked.exe", "innocent.exe"}), Names());
    EXPECT_EQ(2, m_state.Count(seam::kProcess));

    // The ordinary copy of the name ends; a row for the critical one stays.
    EXPECT_EQ(std::vector<engine::RowFate>{engine::RowFate::Removed}, CleanListed("innocent.exe"));
    EXPECT_EQ(engine::RowFate::Denied, End(critical, "innocent.exe"));
    EXPECT_EQ((std::vector<uint32_t>{plain}), m_procs.Terminated());
    EXPECT_TRUE(m_procs.IsRunning(critical));

    EXPECT_TRUE(Ended(unknown, "unasked.exe"));
}

TEST_F(ProcessReset, NamesWindowsListsAsSystemProcessesAreProtected) {
    m_reg.SetDword(seam::RegRoot::LocalMachine, kSysProcsKey, "Vendor Agent.exe", 1);
    m_reg.SetDword(seam::RegRoot::LocalMachine, kSysProcsKey, "csrss.exe", 1);
    m_reg.SetDword(seam::RegRoot::LocalMachine, kSysProcsKey, std::string(300, 'x'), 1);  // too long to read
    const uint32_t agent = m_procs.Add("VENDOR AGENT.EXE");
    m_procs.Add(std::string(300, 'x'));
    m_procs.Add("Vendor Agent.exe.bak");
    Scan();
    // The value name that does not fit the 260-byte read is skipped, not the rest.
    EXPECT_EQ((std::vector<std::string>{"Vendor Agent.exe.bak", std::string(300, 'x')}), Names());
    EXPECT_EQ(engine::RowFate::Denied, End(agent, "vendor agent.exe"));
    EXPECT_TRUE(m_procs.IsRunning(agent));

    // Without the key only the fixed lists hold.
    m_reg.DeleteKey(seam::RegRoot::LocalMachine, kSysProcsKey);
    EXPECT_TRUE(Ended(agent, "vendor agent.exe"));
    EXPECT_FALSE(m_procs.IsRunning(agent));
}

}  // namespace
}  // namespace engine
