// The user's choice in the details window: which listed traces to clean.
//
// Rows that one removal takes together are chosen together, by their
// targets: the IntelliForms rows (their keys go as a whole), GRID rows of
// one agent, and an address of a browser's History with the search terms
// typed for it. Two saved logins or form entries of a browser are separate,
// and so are two PROCESS rows of one program: each ends its own process.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/EngineState.h"
#include "seam/View.h"

namespace engine {

// True when cleaning one of the rows removes the other as well.
bool RemovedTogether(const seam::TraceItem& a, const seam::TraceItem& b);

// Takes the rows the user left out off the trace list without cleaning them,
// one list row for each item of `leftOut` (matched by its target, so rows
// that moved meanwhile are still found, and two rows that show alike stay
// two choices), and lowers their categories'
// counters by one per row. A category with no row left goes back to 0; one
// that still has rows keeps a counter above 0, so that the next analysis
// neither scans it again nor lists a row twice.
//
// When no row is left, the program is back where it started: analysed flag
// 0, every counter 0, status "분석대기 : 0%", progress 0, the action button's
// analyse face. Returns how many rows are left for the cleaning pass. Call
// only while no pass runs.
int LeaveOut(EngineState& state, seam::IView& view, const std::vector<seam::TraceItem>& leftOut);

// One tick per row of the trace list, by the row's index; every row starts
// ticked. The choice holds no row: it reads each one once, when it is made,
// to find which rows are removed together, and again only to leave it out.
//
// The rows must stay as they were when the choice was made, in their order,
// for as long as it is used: its maker keeps passes from running meanwhile
// (EngineState::TryBeginPass). Ticking a row costs as much as the rows linked
// to it, whatever the length of the list.
class CTraceChoice {
public:
    explicit CTraceChoice(seam::ITraceList& list);

    int Count() const { return static_cast<int>(m_rows.size()); }
    int TickedCount() const { return m_nTicked; }
    // False for an index out of range.
    bool IsTicked(int row) const;
    // Ticks or unticks `row` and every row RemovedTogether with it; an index
    // out of range changes nothing.
    void SetTicked(int row, bool bTicked);

    // The unticked rows of the list the choice was made of, top first.
    std::vector<seam::TraceItem> Unticked(seam::ITraceList& list) const;
    // LeaveOut of the unticked rows of view.Traces(), the list the choice was
    // made of: same counters, status and result.
    int LeaveOut(EngineState& state, seam::IView& view) const;

private:
    struct RowChoice {
        int32_t group = -1;  // rows that may go together share a group; -1: the row goes alone
        uint8_t role = 0;    // what the row is to the others of its group (TraceChoice.cpp)
        bool bTicked = true;
    };
    void Tick(size_t row, bool bTicked);

    std::vector<RowChoice> m_rows;
    // The rows of group g: m_members[m_groupStart[g]] up to m_members[m_groupStart[g + 1]].
    std::vector<int32_t> m_groupStart;
    std::vector<int32_t> m_members;
    int m_nTicked = 0;
};

}  // namespace engine
