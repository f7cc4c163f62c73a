#include "engine/processes/ProcessReset.h"

#include <vector>

#include "engine/core/Categories.h"
#include "engine/core/Cp949.h"
#include "engine/processes/ProtectedProcesses.h"
#include "engine/core/TraceRows.h"
#include "seam/Scoped.h"
#include "seam/Text.h"

namespace engine {
namespace {

constexpr const char* kLabelProcess = "프로세스";

// STILL_ACTIVE: the exit code a running process reports.
constexpr uint32_t kStillActive = 259;

// Matched byte for byte: "System ldle Process" (a lower-case l) is how the
// list has always read, so the real "System Idle Process" is not excluded.
constexpr const char* kExcluded[] = {
    "alg.exe",
    "csrss.exe",
    "ctfmon.exe",
    "explorer.exe",
    "LOGI_MWX.EXE",
    "lsass.exe",
    "nvsvc32.exe",
    "RTHDCPL.exe",
    "rundll32.exe",
    "services.exe",
    "System ldle Process",
    "update.exe",
    "smss.exe",
    "spoolsv.exe",
    "svchost.exe",
    "System",
    "winlogon.exe",
    "wuauclt.exe",
    "[System Process]",
    "NateOnMain.exe",
    "PotPlayerMini.exe",
    "AYUpdSrv.aye",
    "AppleMobileDeviceService.exe",
    "Kestravin.exe",
    "MSDEV.EXE",
    "AYAgent.aye",
    "AYRTSrv.aye",
    "conime.exe",
};
static_assert(sizeof kExcluded / sizeof kExcluded[0] == 28, "the exclusion list has 28 entries");

const std::string& ProcessLabel() {
    return seam::FixedCp949(kLabelProcess);
}

void AddProcessRow(EngineState& state, seam::IView& view, const std::string& exeName) {
    seam::TraceItem row;
    row.text[seam::kColName] = exeName;
    row.text[seam::kColRead] = ProcessLabel();
    row.text[seam::kColCode] = CodeOf(seam::kProcess);
    row.target.kind = seam::TargetKind::Process;
    row.target.name = exeName;
    AddTraceRow(state, view, seam::kProcess, row);
}

enum class EndResult { Ended, NotOpened, NotEnded };

// Terminates one process and waits, bounded, for it to end.
EndResult EndProcess(seam::IProcesses& procs, uint32_t pid) {
    seam::ScopedProcess process(procs, procs.Open(pid));
    if (!process) return EndResult::NotOpened;
    // Ended with the code it reports, which for a running process is STILL_ACTIVE.
    uint32_t exitCode = kStillActive;
    procs.GetExitCode(process.Get(), exitCode);
    if (!procs.Terminate(process.Get(), exitCode)) return EndResult::NotEnded;
    return procs.Wait(process.Get(), kTerminateWaitMs) == seam::WaitResult::Signalled ? EndResult::Ended
                                                                                      : EndResult::NotEnded;
}

}  // namespace

bool IsExcludedProcess(const std::string& exeName) {
    for (const char* excluded : kExcluded) {
        if (exeName == excluded) return true;
    }
    return false;
}

void ScanProcesses(seam::Platform& platform, EngineState& state, seam::IView& view) {
    seam::IProcesses& procs = platform.processes;
    std::vector<seam::ProcessEntry> entries;
    if (!procs.Snapshot(entries)) return;
    const uint32_t self = procs.CurrentProcessId();
    const CProtectedProcesses guard(procs, platform.registry, platform.system);
    for (const seam::ProcessEntry& entry : entries) {
        if (entry.pid == self) continue;
        if (guard.IsProtected(entry) || IsExcludedProcess(entry.exeName)) continue;
        AddProcessRow(state, view, entry.exeName);
    }
}

RowFate TerminateProcessByName(seam::Platform& platform, const std::string& name) {
    seam::IProcesses& procs = platform.processes;
    const CProtectedProcesses guard(procs, platform.registry, platform.system);
    // Whoever put the row there, a name of Windows' own processes is not a
    // trace: nothing is ended and the row stays.
    if (guard.IsProtectedName(name)) return RowFate::Denied;
    const std::string target = LowerAscii949(name);
    std::vector<seam::ProcessEntry> entries;
    if (!procs.Snapshot(entries)) return RowFate::StillThere;
    const uint32_t self = procs.CurrentProcessId();
    bool bActed = false;    // a process of the name was there to end
    bool bRefused = false;  // one would not open, or is protected
    for (const seam::ProcessEntry& entry : entries) {
        if (entry.pid == self || LowerAscii949(entry.exeName) != target) continue;
        // A critical process under an ordinary name stays, and so does the row.
        bActed = true;
        if (guard.IsProtected(entry)) {
            bRefused = true;
            continue;
        }
        // One stubborn process stops the walk rather than stretching the pass
        // by a wait per copy; the row stays and a later pass tries again.
        const EndResult ended = EndProcess(procs, entry.pid);
        if (ended != EndResult::Ended) {
            bRefused |= ended == EndResult::NotOpened;
            break;
        }
    }

    std::vector<seam::ProcessEntry> after;
    if (!procs.Snapshot(after)) return RowFate::StillThere;
    int running = 0;
    for (const seam::ProcessEntry& entry : after) {
        if (entry.pid != self && LowerAscii949(entry.exeName) == target) ++running;
    }
    // Ended late, after the bounded wait, or from outside meanwhile: gone all the same.
    if (running == 0) return bActed ? RowFate::Removed : RowFate::AlreadyGone;
    return bRefused ? RowFate::Denied : RowFate::StillRunning;
}

void EndPrograms(seam::Platform& platform, const RowBatch& rows, std::vector<RowFate>& fates) {
    if (rows.empty()) return;
    fates.assign(rows.size(), TerminateProcessByName(platform, rows.front()->target.name));
}

int CountRunning(seam::IProcesses& procs, const std::string& name) {
    const std::string target = LowerAscii949(name);
    std::vector<seam::ProcessEntry> entries;
    if (!procs.Snapshot(entries)) return -1;
    const uint32_t self = procs.CurrentProcessId();
    int running = 0;
    for (const seam::ProcessEntry& entry : entries) {
        if (entry.pid != self && LowerAscii949(entry.exeName) == target) ++running;
    }
    return running;
}

}  // namespace engine
