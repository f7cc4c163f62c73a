// The main window as the engine sees it: a trace list held in a vector and a
// log of every repaint request, in order.
//
// The list can hold inserted rows back until Flush, as the window's batching
// list does, so a test sees a missing Flush as missing rows. Reading or
// deleting a row index that does not exist fails the running test.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "engine/core/EngineState.h"
#include "seam/View.h"

namespace fakes {

class FakeTraceList : public seam::ITraceList {
public:
    FakeTraceList() = default;
    FakeTraceList(const FakeTraceList&) = delete;
    FakeTraceList& operator=(const FakeTraceList&) = delete;

    // ITraceList
    int Count() override;
    void InsertTop(const seam::TraceItem& row) override;
    seam::TraceItem Read(int index) override;
    void Delete(int index) override;
    void Flush() override;

    // Hold inserted rows back until Flush (off at start).
    void SetBatching(bool on);
    // Test set-up: rows put straight into the list, top first.
    void Assign(const std::vector<seam::TraceItem>& rows);

    // Test inspection.
    std::vector<seam::TraceItem> Rows() const;
    int Pending() const;
    int Flushes() const;
    std::vector<int> ReadIndices() const;
    std::vector<std::string> DeletedNames() const;

private:
    mutable std::mutex m_lock;
    bool m_bBatching = false;
    std::deque<seam::TraceItem> m_rows;  // top first; both ends change in O(1) with 30,000 rows
    std::vector<seam::TraceItem> m_pending;  // oldest first
    std::vector<int> m_reads;
    std::vector<std::string> m_deleted;
    int m_nFlushes = 0;
};

class FakeView : public seam::IView {
public:
    // `state` (may be null) lets the view record the status text it is told about.
    explicit FakeView(const engine::EngineState* state = nullptr) : m_pState(state) {}
    FakeView(const FakeView&) = delete;
    FakeView& operator=(const FakeView&) = delete;

    // IView
    seam::ITraceList& Traces() override { return m_traces; }
    void CounterChanged(seam::Category category) override;
    void StatusChanged() override;
    void SetActionFace(seam::ActionFace face) override;
    void SetProgress(int percent) override;

    FakeTraceList& List() { return m_traces; }

    // Test inspection. Events read "counter:<category>", "status", "face:analyse" / "face:clean",
    // "progress:<percent>".
    std::vector<std::string> Events() const;
    std::vector<seam::Category> CounterChanges() const;
    std::vector<std::string> Statuses() const;  // status text at each StatusChanged
    std::vector<seam::ActionFace> Faces() const;
    std::vector<int> Progress() const;
    // StatusChanged calls made while inserted rows were still held back.
    int StatusBeforeFlush() const;

private:
    void Log(const std::string& event);

    const engine::EngineState* m_pState;
    FakeTraceList m_traces;
    mutable std::mutex m_lock;
    std::vector<std::string> m_events;
    std::vector<seam::Category> m_counters;
    std::vector<std::string> m_statuses;
    std::vector<seam::ActionFace> m_faces;
    std::vector<int> m_progress;
    int m_nStatusBeforeFlush = 0;
};

}  // namespace fakes
