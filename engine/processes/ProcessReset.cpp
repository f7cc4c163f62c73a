#include "engine/processes/ProcessReset.h"

#include <vector>

#include "engine/core/Categories.h"
#include "engine/core/Cp949.h"
#include "engine/processes/ProcessChoice.h"
#include "engine/core/TraceRows.h"
#include "seam/Scoped.h"
#include "seam/Text.h"

namespace engine {
namespace {

constexpr const char* kLabelProcess = "프로세스";

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

void AddProcessRow(EngineState& state, seam::IView& view, const seam::ProcessEntry& entry, uint64_t started) {
    seam::TraceItem row;
    row.text[seam::kColName] = entry.exeName;
    row.text[seam::kColRead] = ProcessLabel();
    row.text[seam::kColCode] = CodeOf(seam::kProcess);
    row.target.kind = seam::TargetKind::Process;
    row.target.name = entry.exeName;
    row.target.id = entry.pid;
    row.target.started = started;
    AddTraceRow(state, view, seam::kProcess, row);
}

bool SameName(const std::string& a, const std::string& b) { return LowerAscii949(a) == LowerAscii949(b); }

const seam::ProcessEntry* Find(const std::vector<seam::ProcessEntry>& entries, int64_t pid) {
    for (const seam::ProcessEntry& entry : entries) {
        if (entry.pid == pid) return &entry;
    }
    return nullptr;
}

// Whether the process of the row still runs, at a fresh look, under its name.
bool StillListed(seam::IProcesses& procs, const seam::TraceTarget& target) {
    std::vector<seam::ProcessEntry> entries;
    if (!procs.Snapshot(entries)) return true;  // cannot tell: not gone
    const seam::ProcessEntry* entry = Find(entries, target.id);
    return entry && SameName(entry->exeName, target.name);
}

// The process behind the handle is the row's: same image name, same start.
enum class Identity { Same, Other, Unknown };

Identity IdentityOf(seam::IProcesses& procs, seam::ProcHandle process, const seam::TraceTarget& target) {
    std::string image;
    uint64_t started = 0;
    if (target.started == 0 || !procs.StartTime(process, started)) return Identity::Unknown;
    if (started != target.started) return Identity::Other;
    // An id and a start time name one process: its image, where Windows
    // gives it (Vista and later), is asked as well.
    if (procs.ImageName(process, image) && !SameName(image, target.name)) return Identity::Other;
    return Identity::Same;
}

// Asks the program to close, then ends it; the handle is the row's process.
RowFate CloseOrEnd(seam::IProcesses& procs, seam::ProcHandle process, uint32_t pid) {
    // A program asked to close saves what it must, or asks its user; one
    // with no window to ask is ended at once.
    if (procs.CloseWindows(pid) > 0 && procs.Wait(process, kCloseWaitMs) == seam::WaitResult::Signalled)
        return RowFate::Removed;
    if (!procs.Terminate(process, kEndedExitCode)) {
        // Ended meanwhile (it was closing after all): gone, not refused.
        return procs.Wait(process, 0) == seam::WaitResult::Signalled ? RowFate::Removed : RowFate::StillRunning;
    }
    if (procs.Wait(process, kTerminateWaitMs) == seam::WaitResult::Signalled) return RowFate::Removed;
    // Ended late, after the bounded wait: gone all the same.
    return procs.Wait(process, 0) == seam::WaitResult::Signalled ? RowFate::Removed : RowFate::StillRunning;
}

RowFate EndOne(seam::IProcesses& procs, const CProcessChoice& choice, const std::vector<seam::ProcessEntry>& entries,
               const seam::TraceTarget& target) {
    const seam::ProcessEntry* entry = Find(entries, target.id);
    if (!entry || !SameName(entry->exeName, target.name)) return RowFate::AlreadyGone;
    if (choice.Judge(*entry) != ProcessVerdict::Ours) return RowFate::Denied;
    seam::ScopedProcess process(procs, procs.Open(entry->pid));
    if (!process) return StillListed(procs, target) ? RowFate::Denied : RowFate::AlreadyGone;
    switch (IdentityOf(procs, process.Get(), target)) {
        case Identity::Other: return RowFate::AlreadyGone;
        // Not known to be the listed process: it is not ended on a guess.
        case Identity::Unknown: return RowFate::Denied;
        case Identity::Same: break;
    }
    return CloseOrEnd(procs, process.Get(), entry->pid);
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
    const CProcessChoice choice(platform, entries);
    for (const seam::ProcessEntry& entry : entries) {
        if (IsExcludedProcess(entry.exeName) || choice.Judge(entry) != ProcessVerdict::Ours) continue;
        // One that will not say when it started (another account's, an
        // elevated one) is shown all the same: the user learns it stays.
        uint64_t started = 0;
        procs.StartTimeOf(entry.pid, started);
        AddProcessRow(state, view, entry, started);
    }
}

void EndPrograms(seam::Platform& platform, const RowBatch& rows, std::vector<RowFate>& fates) {
    fates.assign(rows.size(), RowFate::StillThere);
    if (rows.empty()) return;
    seam::IProcesses& procs = platform.processes;
    std::vector<seam::ProcessEntry> entries;
    if (!procs.Snapshot(entries)) return;
    const CProcessChoice choice(platform, entries);
    for (size_t i = 0; i < rows.size(); ++i) {
        const seam::TraceTarget& target = rows[i]->target;
        // Whoever put the row there, a name of Windows' own processes is not
        // a trace: nothing is ended and the row stays.
        fates[i] = choice.IsProtectedName(target.name) ? RowFate::Denied : EndOne(procs, choice, entries, target);
    }
}

RowFate EndListedProcess(seam::Platform& platform, const seam::TraceTarget& target) {
    seam::TraceItem row;
    row.target = target;
    std::vector<RowFate> fates;
    EndPrograms(platform, RowBatch{&row}, fates);
    return fates.front();
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
