// Adding a found trace: the category's counter goes up first (and its count
// line is repainted), then the row goes to the top of the trace list.
#pragma once

#include "engine/EngineState.h"
#include "seam/View.h"

namespace kv {

inline void AddTraceRow(EngineState& state, IView& view, Category category, const TraceItem& row) {
    state.AddCount(category, 1);
    view.CounterChanged(category);
    view.Traces().InsertTop(row);
}

}  // namespace kv
