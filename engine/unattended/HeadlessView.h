// The view of an unattended run: the engine's trace list and nothing to
// repaint. The engine's passes run on it exactly as on the main window, one
// thread, no window, no message.
#pragma once

#include <vector>

#include "engine/core/TraceList.h"
#include "seam/View.h"

namespace engine {

class CHeadlessView : public seam::IView {
public:
    seam::ITraceList& Traces() override { return m_traces; }
    void CounterChanged(seam::Category) override {}
    void StatusChanged() override {}
    void SetActionFace(seam::ActionFace) override {}
    void SetProgress(int) override {}

    // Every row, top first.
    std::vector<seam::TraceItem> Rows() const { return m_traces.Rows(); }

private:
    CTraceList m_traces;
};

}  // namespace engine
