// Windows' own processes, which cleaning must never end: ending a critical
// process stops Windows at once (bug check CRITICAL_PROCESS_DIED), and ending
// the session's core processes breaks the desktop. These are protected
// whatever the exclusion list of resident programs says, before it is asked.
//
// A process is protected when Windows marks it critical, when its name is one
// of the core processes of current Windows (any letter case), or when Windows
// lists its name as a system process under the Terminal Server's SysProcs key.
// A process that cannot be asked whether it is critical (no rights to query
// it, or a system that answers neither query) is judged by its name alone.
#pragma once

#include <string>
#include <vector>

#include "seam/Platform.h"

namespace engine {

// HKEY_LOCAL_MACHINE key whose value names are Windows' own system processes.
inline constexpr const char* kSysProcsKey = "System\\CurrentControlSet\\Control\\Terminal Server\\SysProcs";

// True for a name of the fixed core-process list, ASCII letters in any case.
bool IsCoreProcessName(const std::string& exeName);

class CProtectedProcesses {
public:
    // Reads the SysProcs names once: one object serves one snapshot walk.
    // `procs` is not owned and must outlive the object.
    CProtectedProcesses(seam::IProcesses& procs, seam::IRegistry& registry);

    // A name that a protected process goes by: core list or SysProcs.
    bool IsProtectedName(const std::string& exeName) const;
    // The name test, then whether Windows marks the process critical.
    bool IsProtected(const seam::ProcessEntry& entry) const;

private:
    seam::IProcesses& m_procs;                    // not owned
    std::vector<std::string> m_sysProcs;  // lower-cased (ASCII letters)
};

}  // namespace engine
