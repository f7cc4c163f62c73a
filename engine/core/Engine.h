// The analyse/clean driver: one pass per call, on the calling (worker) thread.
#pragma once

#include "engine/core/Categories.h"
#include "engine/core/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

class CTraceEngine {
public:
    CTraceEngine(seam::Platform& platform, EngineState& state, seam::IView& view, ICategories& categories);

    // Analyses when the analysed flag is down, cleans the trace list otherwise.
    // Callers run one pass at a time (EngineState::TryBeginPass).
    void AnalyseOrClean();

private:
    void ConnectionTest(const char* countQuery);
    void AnalysisPass();
    void CleaningPass();
    CleanOutcome CleanRow(const seam::TraceItem& row);
    // After the walk: each category's counter against the rows it has left.
    void MatchCountersToRows(const int (&rowsLeft)[seam::kCategoryCount]);

    seam::Platform& m_platform;
    EngineState& m_state;
    seam::IView& m_view;
    ICategories& m_categories;
};

}  // namespace engine
