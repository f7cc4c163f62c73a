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

// Terminates one process and waits, bounded, for it to end.
bool EndProcess(seam::IProcesses& procs, uint32_t pid) {
    seam::ScopedProcess process(procs, procs.Open(pid));
    if (!process) return false;
    // Ended with the code it reports, which for a running process is STILL_ACTIVE.
    uint32_t exitCode = kStillActive;
    procs.GetExitCode(process.Get(), exitCode);
    if (!procs.Terminate(process.Get(), exitCode)) return false;
    return procs.Wait(process.Get(), kTerminateWaitMs) == seam::WaitResult::Signalled;
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

bool TerminateProcessByName(seam::Platform& platform, EngineState& state, seam::IView& view, const std::string& name) {
    seam::IProcesses& procs = platform.processes;
    const CProtectedProcesses guard(procs, platform.registry, platform.system);
    // Whoever put the row there, a name of Windows' own processes is not a
    // trace: nothing is ended and the row stays.
    if (guard.IsProtectedName(name)) return false;
    const std::string target = LowerAscii949(name);
    std::vector<seam::ProcessEntry> entries;
    if (!procs.Snapshot(entries)) return false;
    const uint32_t self = procs.CurrentProcessId();
    uint32_t unsettled = 0;  // the process the walk stopped at, if any
    for (const seam::ProcessEntry& entry : entries) {
        if (entry.pid == self || LowerAscii949(entry.exeName) != target) continue;
        // A critical process under an ordinary name stays, and so does the row.
        if (guard.IsProtected(entry)) continue;
        // One stubborn process stops the walk rather than stretching the pass
        // by a wait per copy; the row stays and a later pass tries again.
        if (!EndProcess(procs, entry.pid)) {
            unsettled = entry.pid;
            break;
        }
        state.AddCount(seam::kProcess, -1);
        view.CounterChanged(seam::kProcess);
    }

    std::vector<seam::ProcessEntry> after;
    if (!procs.Snapshot(after)) return false;
    bool unsettledGone = unsettled != 0;
    int running = 0;
    for (const seam::ProcessEntry& entry : after) {
        if (entry.pid == self) continue;
        if (entry.pid == unsettled) unsettledGone = false;
        if (LowerAscii949(entry.exeName) == target) ++running;
    }
    // Ended after all, only too late for the bounded wait (or just before it
    // could be opened): one process fewer, like the others.
    if (unsettledGone) {
        state.AddCount(seam::kProcess, -1);
        view.CounterChanged(seam::kProcess);
    }
    return running == 0;
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
