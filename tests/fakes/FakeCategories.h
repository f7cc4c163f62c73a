// The four categories as the driver sees them: each scan adds the rows the
// test chose (through AddTraceRow, so counters move as the real scanners
// move them), and each GRID / PROCESS removal answers as the test chose.
// REGISTRY and RECENT rows are removed by the real removers, on the
// platform's registry.
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
    void ScanGridAgents() override;
    void ScanProcesses() override;
    void ScanIntelliForms() override;
    void ScanRegistryTraces() override;
    engine::CleanOutcome StopGridService(const seam::TraceItem& row) override;
    engine::CleanOutcome TerminateProcessByName(const seam::TraceItem& row) override;

    // Rows every scan of `code` adds, bottom first (the last one ends on top).
    void SetRows(const std::string& code, const std::vector<seam::TraceItem>& rows);
    // How the removal of `name` ends: gone or not, and what it adds to its
    // category's counter. Unlisted names: gone, counter lowered by 1.
    void SetRemoval(const std::string& name, bool gone, int countDelta);

    // "ScanGridAgents:GRID", "ScanRegistryTraces:RECENT", ... in call order.
    std::vector<std::string> Scans() const;
    // "StopGridService:<name>", "TerminateProcessByName:<name>" in call order.
    std::vector<std::string> Removals() const;

private:
    struct Removal {
        bool gone = true;
        int countDelta = -1;
    };

    void Scan(const char* entry, seam::Category category);
    engine::CleanOutcome Remove(const char* entry, seam::Category category, const std::string& name);

    mutable std::mutex m_lock;
    std::map<std::string, std::vector<seam::TraceItem>> m_rows;
    std::map<std::string, Removal> m_removals;
    std::vector<std::string> m_scans;
    std::vector<std::string> m_removed;
};

}  // namespace fakes
