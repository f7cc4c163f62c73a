// The process seam: snapshot, open, terminate, a bounded wait, whether a
// process is critical, who started it and when, its session, and asking its
// windows to close.
#include <algorithm>

#include "engine/processes/ProcessChoice.h"
#include "engine/processes/ProtectedProcesses.h"
#include "seam/Scoped.h"
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

using ContractProcesses = ContractTest;
constexpr uint32_t kStillActive = 259;

bool Listed(seam::IProcesses& procs, uint32_t pid, std::string* exeName = nullptr, uint32_t* parentPid = nullptr) {
    std::vector<seam::ProcessEntry> entries;
    if (!procs.Snapshot(entries)) return false;
    auto it = std::find_if(entries.begin(), entries.end(),
                           [pid](const seam::ProcessEntry& e) { return e.pid == pid; });
    if (it == entries.end()) return false;
    if (exeName) *exeName = it->exeName;
    if (parentPid) *parentPid = it->parentPid;
    return true;
}

// Polls, bounded, until the process has left the snapshot.
bool LeavesTheSnapshot(seam::Platform& p, uint32_t pid) {
    for (int poll = 0; poll < 50; ++poll) {
        if (!Listed(p.processes, pid)) return true;
        p.system.Sleep(100);
    }
    return false;
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

// A process we start names us as its parent, started after us; its handle
// tells the same start time and its image name; the engine's parent walk
// from it finds us first.
TEST_F(ContractProcesses, AChildNamesUsAsItsParentAndStartedAfterUs) {
    seam::IProcesses& procs = P().processes;
    const uint32_t self = procs.CurrentProcessId();
    const uint32_t pid = m_cp->StartIdleProcess("notes.exe");
    ASSERT_NE(0u, pid);
    uint32_t parent = 0;
    ASSERT_TRUE(Listed(procs, pid, nullptr, &parent));
    EXPECT_EQ(self, parent);

    uint64_t ourStart = 0;
    uint64_t childStart = 0;
    ASSERT_TRUE(procs.StartTimeOf(self, ourStart));
    ASSERT_TRUE(procs.StartTimeOf(pid, childStart));
    EXPECT_NE(0u, ourStart);
    EXPECT_LE(ourStart, childStart);
    {
        seam::ScopedProcess process(procs, procs.Open(pid));
        ASSERT_TRUE(process);
        uint64_t byHandle = 0;
        ASSERT_TRUE(procs.StartTime(process.Get(), byHandle));
        EXPECT_EQ(childStart, byHandle);
        std::string image;
        ASSERT_TRUE(procs.ImageName(process.Get(), image));
        EXPECT_EQ("notes.exe", image);
    }

    std::vector<seam::ProcessEntry> entries;
    ASSERT_TRUE(procs.Snapshot(entries));
    const std::vector<uint32_t> chain = engine::ParentChain(procs, entries, pid);
    ASSERT_FALSE(chain.empty());
    EXPECT_EQ(self, chain.front());
    EXPECT_EQ(chain.end(), std::find(chain.begin(), chain.end(), pid));

    uint64_t none = 0;
    EXPECT_FALSE(procs.StartTimeOf(0xFFFFFFF0u, none));
}

// What we start runs in our session, and that is no service's session.
TEST_F(ContractProcesses, AChildRunsInOurOwnSession) {
    seam::IProcesses& procs = P().processes;
    const uint32_t pid = m_cp->StartIdleProcess("notes.exe");
    ASSERT_NE(0u, pid);
    uint32_t ours = 0;
    uint32_t child = 0;
    ASSERT_TRUE(procs.SessionOf(procs.CurrentProcessId(), ours));
    ASSERT_TRUE(procs.SessionOf(pid, child));
    EXPECT_EQ(ours, child);
    EXPECT_NE(0u, ours);
}

// The handle Open gives is enough to end the process, with exit code 1.
TEST_F(ContractProcesses, AnOpenedProcessEndsWithTheCodeGiven) {
    seam::IProcesses& procs = P().processes;
    const uint32_t pid = m_cp->StartIdleProcess("notes.exe");
    ASSERT_NE(0u, pid);
    seam::ScopedProcess process(procs, procs.Open(pid));
    ASSERT_TRUE(process);
    ASSERT_TRUE(procs.Terminate(process.Get(), 1));
    ASSERT_EQ(seam::WaitResult::Signalled, procs.Wait(process.Get(), 10000));
    uint32_t code = 0;
    ASSERT_TRUE(procs.GetExitCode(process.Get(), code));
    EXPECT_EQ(1u, code);
}

// A program asked to close through its window ends by itself; one with no
// window is not asked and runs on.
TEST_F(ContractProcesses, AskingWindowsToCloseEndsAWindowedProgramOnly) {
    seam::IProcesses& procs = P().processes;
    const uint32_t windowed = m_cp->StartWindowedProcess("editor.exe");
    const uint32_t windowless = m_cp->StartIdleProcess("notes.exe");
    ASSERT_NE(0u, windowed);
    ASSERT_NE(0u, windowless);
    seam::ScopedProcess process(procs, procs.Open(windowed));
    ASSERT_TRUE(process);

    EXPECT_EQ(0, procs.CloseWindows(windowless));
    EXPECT_GE(procs.CloseWindows(windowed), 1);
    EXPECT_EQ(seam::WaitResult::Signalled, procs.Wait(process.Get(), 10000));
    uint32_t code = 1;
    ASSERT_TRUE(procs.GetExitCode(process.Get(), code));
    EXPECT_EQ(0u, code) << "it closed, it was not ended";
    EXPECT_TRUE(Listed(procs, windowless));
}

// The service manager names the process of a running service, and no
// longer once it has stopped; our own process is no service's.
TEST_F(ContractProcesses, RunningServicesNameTheirProcesses) {
    const std::string name = "KvContractSvcPid";
    ASSERT_TRUE(m_cp->InstallService(name, 0));
    const uint32_t pid = m_cp->ServiceProcessId(name);
    ASSERT_NE(0u, pid);
    std::vector<uint32_t> pids;
    ASSERT_TRUE(P().services.ServiceProcessIds(pids));
    EXPECT_NE(pids.end(), std::find(pids.begin(), pids.end(), pid));
    EXPECT_EQ(pids.end(), std::find(pids.begin(), pids.end(), P().processes.CurrentProcessId()));

    seam::ScopedService manager(P().services, P().services.OpenManager());
    ASSERT_TRUE(manager);
    seam::ScopedService service(P().services, P().services.OpenService(manager.Get(), name));
    ASSERT_TRUE(service);
    ASSERT_TRUE(P().services.ControlStop(service.Get()));
    uint32_t state = 0;
    for (int poll = 0; poll < 30 && P().services.QueryState(service.Get(), state) && state != seam::kSvcStopped; ++poll)
        P().system.Sleep(500);
    ASSERT_EQ(seam::kSvcStopped, state);
    EXPECT_TRUE(LeavesTheSnapshot(P(), pid));
    ASSERT_TRUE(P().services.ServiceProcessIds(pids));
    EXPECT_EQ(pids.end(), std::find(pids.begin(), pids.end(), pid));
}

}  // namespace
}  // namespace contract
