// Adding a found trace: the category's counter goes up first (and its count
// line is repainted), then the row goes to the top of the trace list.
#pragma once

#include "engine/core/EngineState.h"
#include "seam/View.h"

namespace engine {

inline void AddTraceRow(EngineState& state, seam::IView& view, seam::Category category, const seam::TraceItem& row) {
    state.AddCount(category, 1);
    view.CounterChanged(category);
    view.Traces().InsertTop(row);
}

}  // namespace engine
