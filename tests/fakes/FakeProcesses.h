// A process table for the engine's snapshot walk and terminations. Processes
// can be made unopenable, can refuse termination, can accept it and keep
// running (so a bounded wait times out), can end only once the wait has
// given up, or can be started again at once by someone else; and can be
// marked critical, or be unable to say (as under Wine). Wait never sleeps.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "seam/Platform.h"

namespace fakes {

inline constexpr uint32_t kStillActive = 259;

enum class TerminateMode {
    Ends,     // TerminateProcess succeeds and the process ends
    Refuses,  // TerminateProcess fails
    Ignores,  // TerminateProcess succeeds but the process keeps running
    EndsLate, // TerminateProcess succeeds; the process outlives the bounded wait, then ends
    Respawns, // the process ends, and a new one of the same name (and mode) starts at once: a watchdog
};

class FakeProcesses : public seam::IProcesses {
public:
    // The test program itself is in the table, as the current process.
    explicit FakeProcesses(const std::string& selfExe = "Kestravin.exe");
    FakeProcesses(const FakeProcesses&) = delete;
    FakeProcesses& operator=(const FakeProcesses&) = delete;

    // IProcesses
    bool Snapshot(std::vector<seam::ProcessEntry>& out) override;
    uint32_t CurrentProcessId() override;
    seam::ProcHandle Open(uint32_t pid) override;
    bool GetExitCode(seam::ProcHandle process, uint32_t& code) override;
    bool Terminate(seam::ProcHandle process, uint32_t exitCode) override;
    seam::WaitResult Wait(seam::ProcHandle process, uint32_t timeoutMs) override;
    void Close(seam::ProcHandle process) override;
    // The process's mark; Unknown for a process that is gone or cannot be opened.
    seam::Criticality QueryCritical(uint32_t pid) override;

    // Test set-up. Add returns the new process id.
    uint32_t Add(const std::string& exeName);
    void SetOpenFails(uint32_t pid, bool fails);
    void SetTerminateMode(uint32_t pid, TerminateMode mode);
    void SetSnapshotFails(bool fails);
    // NotCritical unless set.
    void SetCritical(uint32_t pid, seam::Criticality mark);
    // Ends a process from outside (it exited by itself); Signalled from then on.
    void End(uint32_t pid, uint32_t exitCode = 0);

    // Test inspection.
    bool IsRunning(uint32_t pid) const;
    int RunningCount(const std::string& exeName) const;  // exact name
    std::vector<uint32_t> Terminated() const;  // pids ended by Terminate, in order
    int OpenHandleCount() const;
    int BadCloseCount() const;

private:
    struct Proc {
        uint32_t pid = 0;
        std::string exeName;
        bool running = true;
        uint32_t exitCode = kStillActive;
        bool openFails = false;
        TerminateMode mode = TerminateMode::Ends;
        bool endsAfterWait = false;
        seam::Criticality critical = seam::Criticality::NotCritical;
    };

    Proc* ByHandle(seam::ProcHandle h);
    uint32_t AddLocked(const std::string& exeName);

    mutable std::mutex m_lock;
    std::vector<Proc> m_procs;
    std::map<seam::ProcHandle, uint32_t> m_handles;  // handle -> pid
    std::vector<uint32_t> m_terminated;
    uint32_t m_nSelfPid = 0;
    uint32_t m_nNextPid = 1000;
    seam::ProcHandle m_nNextHandle = 0x2000;
    bool m_bSnapshotFails = false;
    int m_nBadCloses = 0;
};

}  // namespace fakes
