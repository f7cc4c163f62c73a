// The process seam: snapshot, open, terminate, a bounded wait, and whether
// a process is critical.
#include <algorithm>

#include "engine/processes/ProtectedProcesses.h"
#include "seam/Scoped.h"
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

using ContractProcesses = ContractTest;
constexpr uint32_t kStillActive = 259;

bool Listed(seam::IProcesses& procs, uint32_t pid, std::string* exeName = nullptr) {
    std::vector<seam::ProcessEntry> entries;
    if (!procs.Snapshot(entries)) return false;
    auto it = std::find_if(entries.begin(), entries.end(),
                           [pid](const seam::ProcessEntry& e) { return e.pid == pid; });
    if (it == entries.end()) return false;
    if (exeName) *exeName = it->exeName;
    return true;
}

TEST_F(ContractProcesses, CurrentProcessIsInTheSnapshot) {
    seam::IProcesses& procs = P().processes;
    EXPECT_TRUE(Listed(procs, procs.CurrentProcessId()));
}

TEST_F(ContractProcesses, IdleProcessIsListedOpenedAndEnded) {
    seam::IProcesses& procs = P().processes;
    const uint32_t pid = m_cp->StartIdleProcess("qdownagent.exe");
    ASSERT_NE(0u, pid);

    std::string exeName;
    ASSERT_TRUE(Listed(procs, pid, &exeName));
    EXPECT_EQ("qdownagent.exe", exeName);

    {
        seam::ScopedProcess process(procs, procs.Open(pid));
        ASSERT_TRUE(process);
        uint32_t code = 0;
        ASSERT_TRUE(procs.GetExitCode(process.Get(), code));
        EXPECT_EQ(kStillActive, code);
        EXPECT_EQ(seam::WaitResult::TimedOut, procs.Wait(process.Get(), 0));

        ASSERT_TRUE(procs.Terminate(process.Get(), 7));
        EXPECT_EQ(seam::WaitResult::Signalled, procs.Wait(process.Get(), 10000));
        ASSERT_TRUE(procs.GetExitCode(process.Get(), code));
        EXPECT_EQ(7u, code);
    }

    // Once ended and closed it leaves the snapshot (bounded poll: the system
    // may take a moment to drop it).
    bool listed = true;
    for (int poll = 0; poll < 50 && listed; ++poll) {
        listed = Listed(procs, pid);
        if (listed) P().system.Sleep(100);
    }
    EXPECT_FALSE(listed);
}

TEST_F(ContractProcesses, OpenOfAnUnknownProcessFails) {
    EXPECT_EQ(0u, P().processes.Open(0xFFFFFFF0u));
}

// Windows answers NotCritical for an ordinary process; Wine answers neither
// query (Unknown). Never Critical: that would protect every program.
TEST_F(ContractProcesses, OrdinaryProcessIsNotCriticalAndAGoneOneCannotBeAsked) {
    seam::IProcesses& procs = P().processes;
    const uint32_t pid = m_cp->StartIdleProcess("notes.exe");
    ASSERT_NE(0u, pid);
    EXPECT_NE(seam::Criticality::Critical, procs.QueryCritical(pid));
    EXPECT_NE(seam::Criticality::Critical, procs.QueryCritical(procs.CurrentProcessId()));
    EXPECT_EQ(seam::Criticality::Unknown, procs.QueryCritical(0xFFFFFFF0u));
}

// Whatever the platform can say about critical processes, the names decide
// where it cannot: a copy running as wininit.exe is protected, notes.exe not.
TEST_F(ContractProcesses, GuardProtectsCoreNamesOfRunningProcesses) {
    const uint32_t core = m_cp->StartIdleProcess("wininit.exe");
    const uint32_t shell = m_cp->StartIdleProcess("SiHost.exe");
    const uint32_t plain = m_cp->StartIdleProcess("notes.exe");
    ASSERT_NE(0u, core);
    ASSERT_NE(0u, shell);
    ASSERT_NE(0u, plain);
    const engine::CProtectedProcesses guard(P().processes, P().registry, P().system);
    EXPECT_TRUE(guard.IsProtected(seam::ProcessEntry{core, "wininit.exe"}));
    EXPECT_TRUE(guard.IsProtected(seam::ProcessEntry{shell, "SiHost.exe"}));
    EXPECT_FALSE(guard.IsProtected(seam::ProcessEntry{plain, "notes.exe"}));
}

// Under Wine, what Wine runs for its prefix is protected like Windows' own:
// the snapshot shows some of it (the service manager runs while any program
// does), and a copy running as winedevice.exe is protected as well. On
// Windows that name is an ordinary program's.
TEST_F(ContractProcesses, GuardProtectsWineOwnProcessesOnlyUnderWine) {
    const bool bWine = m_cp->HostIsWine();
    const uint32_t device = m_cp->StartIdleProcess("winedevice.exe");
    const uint32_t plain = m_cp->StartIdleProcess("notes.exe");
    ASSERT_NE(0u, device);
    ASSERT_NE(0u, plain);
    const engine::CProtectedProcesses guard(P().processes, P().registry, P().system);
    EXPECT_EQ(bWine, guard.IsProtected(seam::ProcessEntry{device, "winedevice.exe"}));
    EXPECT_FALSE(guard.IsProtected(seam::ProcessEntry{plain, "notes.exe"}));

    std::vector<seam::ProcessEntry> entries;
    ASSERT_TRUE(P().processes.Snapshot(entries));
    int wineOwn = 0;
    for (const seam::ProcessEntry& entry : entries) {
        if (entry.pid == device || !engine::IsWineProcessName(entry.exeName)) continue;
        ++wineOwn;
        if (bWine) {
            EXPECT_TRUE(guard.IsProtected(entry)) << entry.exeName;
        }
    }
    if (bWine) {
        EXPECT_GT(wineOwn, 0) << "no process of Wine's own in the snapshot";
    }
}

}  // namespace
}  // namespace contract
