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

#include "engine/EngineState.h"
#include "seam/View.h"

namespace kv::fakes {

class FakeTraceList : public ITraceList {
public:
    FakeTraceList() = default;
    FakeTraceList(const FakeTraceList&) = delete;
    FakeTraceList& operator=(const FakeTraceList&) = delete;

    // ITraceList
    int Count() override;
    void InsertTop(const TraceItem& row) override;
    TraceItem Read(int index) override;
    void Delete(int index) override;
    void Flush() override;

    // Hold inserted rows back until Flush (off at start).
    void SetBatching(bool on);
    // Test set-up: rows put straight into the list, top first.
    void Assign(const std::vector<TraceItem>& rows);

    // Test inspection.
    std::vector<TraceItem> Rows() const;
    int Pending() const;
    int Flushes() const;
    std::vector<int> ReadIndices() const;
    std::vector<std::string> DeletedNames() const;

private:
    mutable std::mutex m_lock;
    bool m_bBatching = false;
    std::deque<TraceItem> m_rows;  // top first; both ends change in O(1) with 30,000 rows
    std::vector<TraceItem> m_pending;  // oldest first
    std::vector<int> m_reads;
    std::vector<std::string> m_deleted;
    int m_nFlushes = 0;
};

class FakeView : public IView {
public:
    // `state` (may be null) lets the view record the status text it is told about.
    explicit FakeView(const EngineState* state = nullptr) : m_pState(state) {}
    FakeView(const FakeView&) = delete;
    FakeView& operator=(const FakeView&) = delete;

    // IView
    ITraceList& Traces() override { return m_traces; }
    void CounterChanged(Category category) override;
    void StatusChanged() override;
    void SetActionFace(int bitmapId) override;
    void SetProgress(int percent) override;

    FakeTraceList& List() { return m_traces; }

    // Test inspection. Events read "counter:<category>", "status", "face:<id>",
    // "progress:<percent>".
    std::vector<std::string> Events() const;
    std::vector<Category> CounterChanges() const;
    std::vector<std::string> Statuses() const;  // status text at each StatusChanged
    std::vector<int> Faces() const;
    std::vector<int> Progress() const;
    // StatusChanged calls made while inserted rows were still held back.
    int StatusBeforeFlush() const;

private:
    void Log(const std::string& event);

    const EngineState* m_pState;
    FakeTraceList m_traces;
    mutable std::mutex m_lock;
    std::vector<std::string> m_events;
    std::vector<Category> m_counters;
    std::vector<std::string> m_statuses;
    std::vector<int> m_faces;
    std::vector<int> m_progress;
    int m_nStatusBeforeFlush = 0;
};

}  // namespace kv::fakes
