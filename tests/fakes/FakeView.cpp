#include "tests/fakes/FakeView.h"

#include <gtest/gtest.h>

namespace fakes {

int FakeTraceList::Count() {
    std::lock_guard<std::mutex> hold(m_lock);
    return static_cast<int>(m_rows.size());
}

void FakeTraceList::InsertTop(const seam::TraceItem& row) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_bBatching) {
        m_pending.push_back(row);
    } else {
        m_rows.push_front(row);
    }
}

seam::TraceItem FakeTraceList::Read(int index) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_reads.push_back(index);
    if (index < 0 || index >= static_cast<int>(m_rows.size())) {
        ADD_FAILURE() << "trace list read at index " << index << " of " << m_rows.size() << " rows";
        return seam::TraceItem{};
    }
    return m_rows[index];
}

void FakeTraceList::Delete(int index) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (index < 0 || index >= static_cast<int>(m_rows.size())) {
        ADD_FAILURE() << "trace list delete at index " << index << " of " << m_rows.size() << " rows";
        return;
    }
    m_deleted.push_back(m_rows[index].Name());
    m_rows.erase(m_rows.begin() + index);
}

void FakeTraceList::Flush() {
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_nFlushes;
    for (const auto& row : m_pending) m_rows.push_front(row);
    m_pending.clear();
}

void FakeTraceList::SetBatching(bool on) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_bBatching = on;
}

void FakeTraceList::Assign(const std::vector<seam::TraceItem>& rows) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_rows.assign(rows.begin(), rows.end());
}

std::vector<seam::TraceItem> FakeTraceList::Rows() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return {m_rows.begin(), m_rows.end()};
}

int FakeTraceList::Pending() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return static_cast<int>(m_pending.size());
}

int FakeTraceList::Flushes() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nFlushes;
}

std::vector<int> FakeTraceList::ReadIndices() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_reads;
}

std::vector<std::string> FakeTraceList::DeletedNames() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_deleted;
}

void FakeView::Log(const std::string& event) { m_events.push_back(event); }

void FakeView::CounterChanged(seam::Category category) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_counters.push_back(category);
    Log("counter:" + std::to_string(static_cast<int>(category)));
}

void FakeView::StatusChanged() {
    const bool pending = m_traces.Pending() > 0;
    const std::string status = m_pState ? m_pState->StatusText() : std::string();
    std::lock_guard<std::mutex> hold(m_lock);
    if (pending) ++m_nStatusBeforeFlush;
    m_statuses.push_back(status);
    Log("status");
}

void FakeView::SetActionFace(seam::ActionFace face) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_faces.push_back(face);
    Log(face == seam::ActionFace::Clean ? "face:clean" : "face:analyse");
}

void FakeView::SetProgress(int percent) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_progress.push_back(percent);
    Log("progress:" + std::to_string(percent));
}

std::vector<std::string> FakeView::Events() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_events;
}

std::vector<seam::Category> FakeView::CounterChanges() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_counters;
}

std::vector<std::string> FakeView::Statuses() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_statuses;
}

std::vector<seam::ActionFace> FakeView::Faces() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_faces;
}

std::vector<int> FakeView::Progress() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_progress;
}

int FakeView::StatusBeforeFlush() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nStatusBeforeFlush;
}

}  // namespace fakes
