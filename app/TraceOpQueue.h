// The worker's side of the trace list, apart from Win32.
//
// The list itself lives on the window thread, and every cross-thread message
// costs far more than the list operation it carries, so operations are queued
// here, in order, and handed over in batches: when a batch holds kMaxOps
// operations, when its oldest operation has waited kMaxAge, and on Flush.
// Count and Read are served from a mirror of the list, fetched in one go on
// their first use in a pass and then kept in step with the queued operations.
// That is sound because the worker of the running pass is the list's only
// writer (one pass at a time).
//
// Used by one thread at a time (the worker of the running pass); the derived
// class carries batches to the list's thread.
#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "seam/View.h"

namespace app {

struct TraceOp {
    enum Kind { kInsertTop, kDelete };
    Kind kind;
    int index;      // kDelete: the row to delete
    seam::TraceItem row;  // kInsertTop: the row to put at the top
};
using TraceBatch = std::vector<TraceOp>;

class TraceOpQueue : public seam::ITraceList {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kMaxOps = 256;
    static constexpr std::chrono::milliseconds kMaxAge{30};

    explicit TraceOpQueue(std::function<Clock::time_point()> now = &Clock::now)
        : m_now(std::move(now)) {}

    int Count() override {
        LoadMirror();
        return static_cast<int>(m_mirror.size());
    }

    void InsertTop(const seam::TraceItem& row) override {
        if (m_bMirror) m_mirror.push_front(row);
        Queue(TraceOp{TraceOp::kInsertTop, 0, row});
    }

    // A row past the end reads as six empty texts, as the list answers.
    seam::TraceItem Read(int index) override {
        LoadMirror();
        if (index < 0 || static_cast<std::size_t>(index) >= m_mirror.size()) return seam::TraceItem{};
        return m_mirror[static_cast<std::size_t>(index)];
    }

    void Delete(int index) override {
        if (m_bMirror && index >= 0 && static_cast<std::size_t>(index) < m_mirror.size())
            m_mirror.erase(m_mirror.begin() + index);
        Queue(TraceOp{TraceOp::kDelete, index, seam::TraceItem{}});
    }

    // Returns when every queued operation is in the list.
    void Flush() override {
        if (m_pending.empty()) return;
        TraceBatch batch;
        batch.swap(m_pending);
        SendBatch(batch);
    }

    // The pass is over: hand everything over and forget the mirror, since the
    // next pass may start from a list that changed in between.
    void EndPass() {
        Flush();
        m_mirror.clear();
        m_bMirror = false;
    }

    std::size_t Pending() const { return m_pending.size(); }

protected:
    // Applies `batch` to the list, in order, and returns when it is applied.
    virtual void SendBatch(TraceBatch& batch) = 0;
    // All rows of the list, top first.
    virtual void FetchRows(std::vector<seam::TraceItem>& rows) = 0;

private:
    void Queue(TraceOp op) {
        const Clock::time_point now = m_now();
        if (m_pending.empty()) m_oldest = now;
        m_pending.push_back(std::move(op));
        if (m_pending.size() >= kMaxOps || now - m_oldest >= kMaxAge) Flush();
    }

    void LoadMirror() {
        if (m_bMirror) return;
        Flush();
        std::vector<seam::TraceItem> rows;
        FetchRows(rows);
        m_mirror.assign(std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
        m_bMirror = true;
    }

    std::function<Clock::time_point()> m_now;
    TraceBatch m_pending;
    Clock::time_point m_oldest{};
    // Front inserts and deletes near the top are cheap on a deque, which
    // matters at tens of thousands of rows.
    std::deque<seam::TraceItem> m_mirror;
    bool m_bMirror = false;
};

}  // namespace app
