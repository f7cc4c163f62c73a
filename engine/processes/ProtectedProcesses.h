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
//
// Under Wine the processes Wine starts for its prefix (the service manager,
// the driver hosts, the RPC and plug-and-play services, ...) play the part
// of Windows' own: ending one leaves the prefix without, say, its RPC
// service until Wine restarts, and whatever needs it (WinINet among others)
// fails meanwhile. Their names are protected too, but only under Wine: on
// Windows a program may well be called start.exe.
#pragma once

#include <string>
#include <vector>

#include "seam/Platform.h"

namespace engine {

// HKEY_LOCAL_MACHINE key whose value names are Windows' own system processes.
inline constexpr const char* kSysProcsKey = "System\\CurrentControlSet\\Control\\Terminal Server\\SysProcs";

// True for a name of the fixed core-process list, ASCII letters in any case.
bool IsCoreProcessName(const std::string& exeName);
// True for a name of the processes Wine itself starts, ASCII letters in any case.
bool IsWineProcessName(const std::string& exeName);

class CProtectedProcesses {
public:
    // Reads the SysProcs names and asks whether Wine runs the program once:
    // one object serves one snapshot walk. `procs` is not owned and must
    // outlive the object.
    CProtectedProcesses(seam::IProcesses& procs, seam::IRegistry& registry, seam::ISystem& system);

    // A name that a protected process goes by: core list, SysProcs, or
    // under Wine the list of Wine's own processes.
    bool IsProtectedName(const std::string& exeName) const;
    // The name test, then whether Windows marks the process critical.
    bool IsProtected(const seam::ProcessEntry& entry) const;

private:
    seam::IProcesses& m_procs;            // not owned
    std::vector<std::string> m_sysProcs;  // lower-cased (ASCII letters)
    bool m_bUnderWine;
};

}  // namespace engine
