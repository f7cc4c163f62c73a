// A process table for the engine's snapshot walk and terminations. Processes
// can be made unopenable, can refuse termination, can accept it and keep
// running (so a bounded wait times out), can end only once the wait has
// given up, or can be started again at once by someone else; and can be
// marked critical, or be unable to say (as under Wine). Each has a session,
// a parent, a start time (later for each one added), and may show windows
// that close it on WM_CLOSE or that ignore it. An id can be handed to a new
// process once its own has gone. Wait never sleeps.
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

// What a process does when its windows are asked to close.
enum class WindowMode {
    None,     // it shows no window
    Closes,   // its window closes and the process ends
    Ignores,  // its window stays (an unsaved document, a question to the user)
};

// The session every process is in unless told otherwise: the user's own.
inline constexpr uint32_t kUserSession = 1;

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
    bool StartTime(seam::ProcHandle process, uint64_t& ticks) override;
    bool StartTimeOf(uint32_t pid, uint64_t& ticks) override;
    bool ImageName(seam::ProcHandle process, std::string& exeName) override;
    bool SessionOf(uint32_t pid, uint32_t& session) override;
    int CloseWindows(uint32_t pid) override;
    // The process's mark; Unknown for a process that is gone or cannot be opened.
    seam::Criticality QueryCritical(uint32_t pid) override;

    // Test set-up. Add returns the new process id; its parent is none (0).
    uint32_t Add(const std::string& exeName);
    void SetParent(uint32_t pid, uint32_t parentPid);
    void SetSession(uint32_t pid, uint32_t session);
    void SetStartTime(uint32_t pid, uint64_t ticks);
    uint64_t StartedAt(uint32_t pid) const;  // of the running process of that id
    void SetWindowMode(uint32_t pid, WindowMode mode);
    // The process of `pid` ends, and a new one of `exeName`, started at
    // `ticks`, gets its id (with the defaults of Add): a reused id.
    void Reuse(uint32_t pid, const std::string& exeName, uint64_t ticks);
    void SetOpenFails(uint32_t pid, bool fails);
    // Windows before Vista: no image name from a process handle.
    void SetNoImageNames(bool none) { m_bNoImageNames = none; }
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
    std::vector<uint32_t> ClosedByWindow() const;  // pids that ended on WM_CLOSE, in order
    std::vector<uint32_t> TerminateCodes() const;  // the exit codes Terminate was given, in order
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
        uint32_t parentPid = 0;
        uint32_t session = kUserSession;
        uint64_t started = 0;
        WindowMode windows = WindowMode::None;
    };

    Proc* ByHandle(seam::ProcHandle h);
    // The running process of that id; else the last one that had it.
    Proc* ById(uint32_t pid);
    const Proc* ById(uint32_t pid) const;
    uint32_t AddLocked(const std::string& exeName);

    mutable std::mutex m_lock;
    std::vector<Proc> m_procs;
    // handle -> index in m_procs: a handle stays with its process when the id is reused
    std::map<seam::ProcHandle, size_t> m_handles;
    std::vector<uint32_t> m_terminated;
    std::vector<uint32_t> m_closedByWindow;
    std::vector<uint32_t> m_terminateCodes;
    uint64_t m_nNextStart = 132000000000000000ull;  // 2019, in FILETIME ticks
    uint32_t m_nSelfPid = 0;
    uint32_t m_nNextPid = 1000;
    seam::ProcHandle m_nNextHandle = 0x2000;
    bool m_bSnapshotFails = false;
    int m_nBadCloses = 0;
    bool m_bNoImageNames = false;
};

}  // namespace fakes
