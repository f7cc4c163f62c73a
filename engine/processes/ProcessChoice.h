// Which running processes are the user's own to end. Cleaning runs with the
// user's rights or an administrator's; either way only what the user started
// in this sign-in is a trace. Never a process of another session (another
// signed-in user's programs), never a service's (session 0, or a process the
// service manager names as a running service's), never the process that
// started Kestravin or any before it (the script or console that runs
// /clean:PROCESS would die under it), and never one of Windows' own
// (engine/processes/ProtectedProcesses.h).
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "engine/processes/ProtectedProcesses.h"
#include "seam/Platform.h"

namespace engine {

enum class ProcessVerdict {
    Ours,          // the user's own: may be listed and ended
    Self,          // Kestravin itself
    Ancestor,      // started Kestravin, directly or further up
    Service,       // session 0, or a running service's process
    OtherSession,  // another session's, or one whose session cannot be told
    Protected,     // one of Windows' own
};

// The processes that started `self`, nearest first, walked through the
// snapshot's parent ids. An id is reused once its process ends, so a
// "parent" created after its child is another process that got the id, and
// the walk stops there; it stops as well at a cycle, at an id no longer
// running, and after a parent whose start time cannot be read (it is kept,
// but its own parent cannot be told apart from a reused id).
std::vector<uint32_t> ParentChain(seam::IProcesses& procs, const std::vector<seam::ProcessEntry>& snapshot,
                                  uint32_t self);

class CProcessChoice {
public:
    // Reads the program's own session, the running services' processes, the
    // parent chain and the protected names once: one object serves one
    // snapshot. `platform` is not owned and must outlive the object.
    CProcessChoice(seam::Platform& platform, const std::vector<seam::ProcessEntry>& snapshot);

    ProcessVerdict Judge(const seam::ProcessEntry& entry) const;
    // A name that no process may be ended under.
    bool IsProtectedName(const std::string& exeName) const { return m_guard.IsProtectedName(exeName); }

private:
    seam::IProcesses& m_procs;  // not owned
    const CProtectedProcesses m_guard;
    const uint32_t m_nSelf;
    bool m_bSessionKnown = false;
    uint32_t m_nSession = 0;
    std::set<uint32_t> m_servicePids;
    std::set<uint32_t> m_ancestors;
};

}  // namespace engine
