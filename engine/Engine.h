// The analyse/clean driver: one pass per call, on the calling (worker) thread.
#pragma once

#include <string>

#include "engine/Categories.h"
#include "engine/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace kv {

class CTraceEngine {
public:
    CTraceEngine(Platform& platform, EngineState& state, IView& view, ICategories& categories);

    // Analyses when the analysed flag is 0, cleans the trace list otherwise.
    // Callers run one pass at a time (EngineState::TryBeginPass).
    void AnalyseOrClean();

private:
    // What cleaning one row came to.
    enum class Outcome {
        Skipped,  // not attempted: unknown code or root, or category switched off
        Gone,     // the trace is gone: the row leaves the list
        Stayed,   // the removal failed: the row stays and the pass reports it
    };

    void ConnectionTest(const char* countQuery);
    void AnalysisPass();
    void CleaningPass();
    Outcome CleanRow(const TraceItem& row);
    Outcome CleanRegistryRow();
    Outcome CleanRecentRow(const TraceItem& row);
    bool KeyExists(RegRoot root, const std::string& path);
    bool ValueExists(RegRoot root, const std::string& path, const std::string& name);

    Platform& m_platform;
    EngineState& m_state;
    IView& m_view;
    ICategories& m_categories;
};

}  // namespace kv
