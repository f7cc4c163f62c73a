// Process reset (PROCESS): every program the user runs in this session that
// is not on the exclusion list of system and resident programs is a trace;
// cleaning its row first asks the program to close, as a user would, and
// ends it only if it does not.
//
// A row is one process: its id and its start time, kept at analysis. An id
// is handed to a new process once its own has ended, so cleaning ends only
// the process whose image name and start time still match the row.
//
// What is not the user's own to end is neither listed nor ended
// (engine/processes/ProcessChoice.h): other sessions', services', the
// processes that started Kestravin, and Windows' own. The program's own
// process is never listed and never ended, whatever its executable is
// called; other copies of it run as "Kestravin.exe", which the exclusion
// list holds.
#pragma once

#include <cstdint>
#include <string>

#include <vector>

#include "engine/core/Categories.h"
#include "engine/core/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

// How long a program asked to close is given before it is ended.
inline constexpr uint32_t kCloseWaitMs = 3000;
// How long cleaning waits for one terminated process to end; a process
// still there afterwards is a failed removal.
inline constexpr uint32_t kTerminateWaitMs = 5000;
// The exit code an ended program reports: a failure, as with Task Manager,
// and not STILL_ACTIVE (259), which would tell whoever waits on it that it
// still runs.
inline constexpr uint32_t kEndedExitCode = 1;

// Whole-string, byte-exact, case-sensitive test against the 28 exclusions.
bool IsExcludedProcess(const std::string& exeName);

// One snapshot walk: every running process of the user's own (ProcessChoice)
// that is not excluded (PROCESS). Each row raises the counter first and
// goes to the top of the trace list; its target is the executable's name,
// the process id and its start time. A process whose start time cannot be
// read is listed with none, and cleaning leaves it (Denied): it could never
// be told apart from a later one.
void ScanProcesses(seam::Platform& platform, EngineState& state, seam::IView& view);

// Ends the process of each row (one program's rows, any letter case):
//   AlreadyGone   the id runs nothing, or now names another program or a
//                 process started later (a reused id): nothing is ended;
//   Removed       it closed when asked, or was ended (exit code 1);
//   Denied        it is not the user's own, its name is protected, or it
//                 cannot be opened, or asked what it is;
//   StillRunning  it refused to end or outlived kTerminateWaitMs;
//   StillThere    no process list could be taken.
void EndPrograms(seam::Platform& platform, const RowBatch& rows, std::vector<RowFate>& fates);

// The same for one row.
RowFate EndListedProcess(seam::Platform& platform, const seam::TraceTarget& target);

// Processes running under `name` (ASCII letters in any case), the program's
// own aside; -1 when no snapshot could be taken.
int CountRunning(seam::IProcesses& procs, const std::string& name);

}  // namespace engine
