#include "engine/unattended/Unattended.h"

#include "engine/core/Categories.h"
#include "engine/core/Engine.h"
#include "engine/core/EngineState.h"
#include "engine/unattended/HeadlessView.h"
#include "engine/kinds/TraceCategories.h"

namespace engine {
namespace {

void CountByCategory(const std::vector<seam::TraceItem>& rows, int (&counts)[seam::kCategoryCount]) {
    for (const seam::TraceItem& row : rows) {
        if (const CategoryEntry* entry = CategoryOfCode(row.Code())) ++counts[entry->category];
    }
}

}  // namespace

UnattendedOutcome RunUnattended(seam::Platform& platform, const bool (&chosen)[seam::kCategoryCount], bool bClean) {
    UnattendedOutcome outcome;
    outcome.bClean = bClean;
    EngineState state;
    for (int c = 0; c < seam::kCategoryCount; ++c) {
        outcome.chosen[c] = chosen[c];
        state.SetEnabled(static_cast<seam::Category>(c), chosen[c]);
    }
    CHeadlessView view;
    CTraceCategories categories(platform, state, view);
    CTraceEngine engine(platform, state, view, categories);

    engine.AnalyseOrClean();
    outcome.notes = state.Notes();
    const std::vector<seam::TraceItem> found = view.Rows();
    CountByCategory(found, outcome.found);
    if (!bClean) {
        outcome.listed = found;
        return outcome;
    }
    // The analysed flag is up exactly when something was found: only then
    // is the next pass a cleaning one.
    if (state.m_bAnalysed.load()) engine.AnalyseOrClean();
    int left[seam::kCategoryCount] = {};
    CountByCategory(view.Rows(), left);
    for (int c = 0; c < seam::kCategoryCount; ++c) outcome.cleaned[c] = outcome.found[c] - left[c];
    for (const StayedRow& stayed : engine.Stayed()) outcome.left.push_back({stayed.row, stayed.why});
    for (const PassNote& note : state.Notes()) outcome.notes.push_back(note);
    return outcome;
}

}  // namespace engine
