// Grid delivery (GRID): the upload agents that Korean download managers run
// as Windows services. Analysis lists their running processes; cleaning
// stops the paired service.
#pragma once

#include <cstdint>
#include <string>

#include <vector>

#include "engine/core/Categories.h"
#include "engine/core/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

// A service that is still stopping is polled this often, this many times at
// most; one still stopping after that is a failed removal.
inline constexpr uint32_t kStopPollMs = 1000;
inline constexpr int kStopPollLimit = 30;

// The service paired with an agent executable (exact, case-sensitive name),
// or nullptr when `exeName` is not one of the 16 agents.
const char* GridServiceOf(const std::string& exeName);
inline bool IsGridAgent(const std::string& exeName) { return GridServiceOf(exeName) != nullptr; }

// READ text of a GRID row, code page 949.
const std::string& GridLabel();

// One snapshot walk: every running grid agent (the program's own process
// aside). Each row raises the GRID counter first and goes to the top of the
// trace list; its target is the agent's service, by the agent's name.
void ScanGridAgents(seam::IProcesses& procs, EngineState& state, seam::IView& view);

// Stops the service paired with agent `name`, waiting while it reports
// STOP_PENDING (bounded by kStopPollLimit polls). Removed when the service
// reached STOPPED; AlreadyGone when no service could be opened (not
// installed) and no process of `name` runs any more. Denied when the
// service manager refuses us (stopping takes an administrator);
// StillRunning when the service or, without one, its agent goes on.
RowFate StopGridService(seam::Platform& platform, const std::string& name);

// The rows of one agent: its service is stopped once, and every row takes
// that fate.
void StopGridAgents(seam::Platform& platform, const RowBatch& rows, std::vector<RowFate>& fates);

}  // namespace engine
