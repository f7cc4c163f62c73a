// Process reset (PROCESS): every running program that is not on the
// exclusion list of system and resident programs is a trace; cleaning a row
// ends every process of its name.
//
// The program's own process is never listed and never ended, whatever its
// executable is called; other copies of it run as "Kestravin.exe", which the
// exclusion list holds. Windows' own processes are never listed or ended
// either (engine/ProtectedProcesses.h); that guard comes before the list.
#pragma once

#include <cstdint>
#include <string>

#include <vector>

#include "engine/core/Categories.h"
#include "engine/core/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

// How long cleaning waits for one terminated process to end; a process
// still there afterwards is a failed removal.
inline constexpr uint32_t kTerminateWaitMs = 5000;

// Whole-string, byte-exact, case-sensitive test against the 28 exclusions.
bool IsExcludedProcess(const std::string& exeName);

// One snapshot walk: every running process neither protected nor excluded
// (PROCESS). Each row raises the counter first and goes to the top of the
// trace list; its target is the executable's name.
void ScanProcesses(seam::Platform& platform, EngineState& state, seam::IView& view);

// Ends the processes whose name equals `name` with ASCII letters compared in
// any case. The first process that cannot be opened, refuses termination or
// outlives kTerminateWaitMs ends the walk. Removed when, at a final look at
// the process list, no process of that name is running (the program's own
// aside), also none that started again meanwhile; AlreadyGone when there was
// none to end. Otherwise Denied when a process of the name cannot be opened
// or the name is protected (Windows' own processes are never ended, and a
// protected name ends nothing at all), StillRunning when it could be but
// runs on, StillThere when no process list could be taken.
RowFate TerminateProcessByName(seam::Platform& platform, const std::string& name);

// The rows of one program (by name, in any case): its processes are ended
// once, and every row takes that fate.
void EndPrograms(seam::Platform& platform, const RowBatch& rows, std::vector<RowFate>& fates);

// Processes running under `name` (ASCII letters in any case), the program's
// own aside; -1 when no snapshot could be taken.
int CountRunning(seam::IProcesses& procs, const std::string& name);

}  // namespace engine
