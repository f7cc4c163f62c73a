// The view of an unattended run: the trace list in memory and nothing to
// repaint. The engine's passes run on it exactly as on the main window, one
// thread, no window, no message.
#pragma once

#include <deque>
#include <vector>

#include "seam/View.h"

namespace engine {

class CMemoryTraceList : public seam::ITraceList {
public:
    int Count() override { return static_cast<int>(m_rows.size()); }
    void InsertTop(const seam::TraceItem& row) override { m_rows.push_front(row); }
    seam::TraceItem Read(int index) override { return m_rows.at(static_cast<size_t>(index)); }
    void Delete(int index) override {
        if (index >= 0 && index < Count()) m_rows.erase(m_rows.begin() + index);
    }
    void Flush() override {}

    // Every row, top first.
    std::vector<seam::TraceItem> Rows() const { return {m_rows.begin(), m_rows.end()}; }

private:
    std::deque<seam::TraceItem> m_rows;  // top first
};

class CHeadlessView : public seam::IView {
public:
    seam::ITraceList& Traces() override { return m_traces; }
    void CounterChanged(seam::Category) override {}
    void StatusChanged() override {}
    void SetActionFace(int) override {}
    void SetProgress(int) override {}

    std::vector<seam::TraceItem> Rows() const { return m_traces.Rows(); }

private:
    CMemoryTraceList m_traces;
};

}  // namespace engine
