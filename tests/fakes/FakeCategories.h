// The four categories as the driver sees them: each scan adds the rows the
// test chose (through AddTraceRow, so counters move as the real scanners
// move them), and each removal of an agent's or a program's rows answers as
// the test chose. Every other container goes to the real removers, on the
// platform's registry and files.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/core/EngineState.h"
#include "engine/kinds/TraceCategories.h"
#include "seam/View.h"

namespace fakes {

// A trace row with the six texts in column order.
seam::TraceItem MakeTraceRow(const std::string& code, const std::string& name,
                       const std::string& regKey = "", const std::string& value = "",
                       const std::string& data = "", const std::string& read = "");

class FakeCategories : public engine::CTraceCategories {
public:
    FakeCategories(seam::Platform& platform, engine::EngineState& state, seam::IView& view)
        : engine::CTraceCategories(platform, state, view) {}
    FakeCategories(const FakeCategories&) = delete;
    FakeCategories& operator=(const FakeCategories&) = delete;

    // ICategories
    void Scan(seam::Category category) override;
    void Remove(const engine::RowBatch& rows, std::vector<engine::RowFate>& fates) override;

    // Rows every scan of `code` adds, bottom first (the last one ends on top).
    void SetRows(const std::string& code, const std::vector<seam::TraceItem>& rows);
    // What the removal of the agent or program `name` comes to. Unlisted
    // names: removed.
    void SetRemoval(const std::string& name, engine::RowFate fate);

    // "Scan:GRID", "Scan:RECENT", ... in call order.
    std::vector<std::string> Scans() const;
    // "StopGridService:<name>", "EndPrograms:<name>" in call
    // order, one per container (an agent's or a program's rows).
    std::vector<std::string> Removals() const;

private:

    mutable std::mutex m_lock;
    std::map<std::string, std::vector<seam::TraceItem>> m_rows;
    std::map<std::string, engine::RowFate> m_removals;
    std::vector<std::string> m_scans;
    std::vector<std::string> m_removed;
};

}  // namespace fakes
