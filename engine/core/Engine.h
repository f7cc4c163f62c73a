// The analyse/clean driver: one pass per call, on the calling (worker) thread.
#pragma once

#include <vector>

#include "engine/core/Categories.h"
#include "engine/core/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

// A row the last cleaning pass left in the list, and why, as its remover said.
struct StayedRow {
    seam::TraceItem row;
    RowFate why = RowFate::StillThere;
};

class CTraceEngine {
public:
    CTraceEngine(seam::Platform& platform, EngineState& state, seam::IView& view, ICategories& categories);

    // Analyses when the analysed flag is down, cleans the trace list otherwise.
    // Callers run one pass at a time (EngineState::TryBeginPass).
    void AnalyseOrClean();

    // After a cleaning pass: the rows it attempted and left, top first.
    // Rows of a category switched off are not among them.
    const std::vector<StayedRow>& Stayed() const { return m_stayed; }

private:
    void ConnectionTest(const char* countQuery);
    void AnalysisPass();
    void CleaningPass();
    // Hands the rows to their removers, one call per container, and
    // lowers the counters of what went; `fates` is as long as `rows`.
    void CleanContainers(const std::vector<seam::TraceItem>& rows, std::vector<RowFate>& fates);
    void LowerCounters(const int (&gone)[seam::kCategoryCount]);
    // After the walk: each category's counter against the rows it has left.
    void MatchCountersToRows(const int (&rowsLeft)[seam::kCategoryCount]);

    seam::Platform& m_platform;
    EngineState& m_state;
    seam::IView& m_view;
    ICategories& m_categories;
    std::vector<StayedRow> m_stayed;
};

}  // namespace engine
