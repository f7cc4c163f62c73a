// The user's choice in the details window: which listed traces to clean.
//
// Rows that one removal takes together are chosen together, by their
// targets: the IntelliForms rows (their keys go as a whole), PROCESS rows of
// one executable (one call ends every process of that name), GRID rows of
// one agent, and an address of a browser's History with the search terms
// typed for it. Two saved logins or form entries of a browser are separate.
#pragma once

#include <vector>

#include "engine/core/EngineState.h"
#include "seam/View.h"

namespace engine {

// True when cleaning one of the rows removes the other as well.
bool RemovedTogether(const seam::TraceItem& a, const seam::TraceItem& b);

// Takes the rows the user left out off the trace list without cleaning them,
// one list row for each item of `leftOut` (matched by its six texts, so rows
// that moved meanwhile are still found), and lowers their categories'
// counters by one per row. A category with no row left goes back to 0; one
// that still has rows keeps a counter above 0, so that the next analysis
// neither scans it again nor lists a row twice.
//
// When no row is left, the program is back where it started: analysed flag
// 0, every counter 0, status "분석대기 : 0%", progress 0, the action button's
// analyse face. Returns how many rows are left for the cleaning pass. Call
// only while no pass runs.
int LeaveOut(EngineState& state, seam::IView& view, const std::vector<seam::TraceItem>& leftOut);

}  // namespace engine
