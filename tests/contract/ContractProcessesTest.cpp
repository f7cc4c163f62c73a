// The process seam: snapshot, open, terminate and a bounded wait.
#include <algorithm>

#include "seam/Scoped.h"
#include "tests/contract/ContractFixture.h"

namespace kv::contract {
namespace {

using ContractProcesses = ContractTest;
constexpr uint32_t kStillActive = 259;

bool Listed(IProcesses& procs, uint32_t pid, std::string* exeName = nullptr) {
    std::vector<ProcessEntry> entries;
    if (!procs.Snapshot(entries)) return false;
    auto it = std::find_if(entries.begin(), entries.end(),
                           [pid](const ProcessEntry& e) { return e.pid == pid; });
    if (it == entries.end()) return false;
    if (exeName) *exeName = it->exeName;
    return true;
}

TEST_F(ContractProcesses, CurrentProcessIsInTheSnapshot) {
    IProcesses& procs = P().processes;
    EXPECT_TRUE(Listed(procs, procs.CurrentProcessId()));
}

TEST_F(ContractProcesses, IdleProcessIsListedOpenedAndEnded) {
    IProcesses& procs = P().processes;
    const uint32_t pid = m_cp->StartIdleProcess("qdownagent.exe");
    ASSERT_NE(0u, pid);

    std::string exeName;
    ASSERT_TRUE(Listed(procs, pid, &exeName));
    EXPECT_EQ("qdownagent.exe", exeName);

    {
        ScopedProcess process(procs, procs.Open(pid));
        ASSERT_TRUE(process);
        uint32_t code = 0;
        ASSERT_TRUE(procs.GetExitCode(process.Get(), code));
        EXPECT_EQ(kStillActive, code);
        EXPECT_EQ(WaitResult::TimedOut, procs.Wait(process.Get(), 0));

        ASSERT_TRUE(procs.Terminate(process.Get(), 7));
        EXPECT_EQ(WaitResult::Signalled, procs.Wait(process.Get(), 10000));
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

}  // namespace
}  // namespace kv::contract
