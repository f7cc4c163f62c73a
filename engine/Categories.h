// The four trace categories: for each its code text, its scanner and its
// remover, in the order analysis runs them. The driver walks this table;
// nothing else spells a category code.
//
// CTraceCategories (engine/TraceCategories.h) is the real implementation;
// the driver's tests use a fake that adds chosen rows.
#pragma once

#include <string>

#include "seam/View.h"

namespace engine {

// What cleaning one row came to.
enum class CleanOutcome {
    Skipped,  // not attempted: unknown code or root, or category switched off
    Gone,     // the trace is gone: the row leaves the list
    Stayed,   // the removal failed: the row stays and the pass reports it
};

class ICategories {
public:
    virtual ~ICategories() = default;

    // Analysis: each adds its category's rows to the top of the trace list
    // and raises its counter by one per row.
    virtual void ScanGridAgents() = 0;      // GRID: running grid agents
    virtual void ScanProcesses() = 0;       // PROCESS: running programs neither protected nor excluded
    virtual void ScanIntelliForms() = 0;    // REGISTRY: autosaved form entries
    virtual void ScanRegistryTraces() = 0;  // RECENT: every usage-history source

    // Cleaning of one row of the category. Each lowers its own counter as
    // the traces go.
    virtual CleanOutcome StopGridService(const seam::TraceItem& row) = 0;
    virtual CleanOutcome TerminateProcessByName(const seam::TraceItem& row) = 0;
    virtual CleanOutcome DeleteIntelliForms(const seam::TraceItem& row) = 0;
    virtual CleanOutcome DeleteHistoryValue(const seam::TraceItem& row) = 0;
};

struct CategoryEntry {
    seam::Category category;
    const char* code;  // the CODE column's text, compared exactly
    void (ICategories::*scan)();
    CleanOutcome (ICategories::*remove)(const seam::TraceItem& row);
};

// In scan order; the Category enum indexes it.
inline constexpr CategoryEntry kCategoryTable[seam::kCategoryCount] = {
    {seam::kGrid, "GRID", &ICategories::ScanGridAgents, &ICategories::StopGridService},
    {seam::kProcess, "PROCESS", &ICategories::ScanProcesses, &ICategories::TerminateProcessByName},
    {seam::kRegistry, "REGISTRY", &ICategories::ScanIntelliForms, &ICategories::DeleteIntelliForms},
    {seam::kRecent, "RECENT", &ICategories::ScanRegistryTraces, &ICategories::DeleteHistoryValue},
};

constexpr bool TableFollowsTheEnum() {
    for (int c = 0; c < seam::kCategoryCount; ++c) {
        if (kCategoryTable[c].category != c) return false;
    }
    return true;
}
static_assert(TableFollowsTheEnum(), "kCategoryTable is indexed by Category");

inline const char* CodeOf(seam::Category category) { return kCategoryTable[category].code; }

// The entry whose code equals `code` exactly (case-sensitive), or nullptr.
inline const CategoryEntry* CategoryOfCode(const std::string& code) {
    for (const CategoryEntry& entry : kCategoryTable) {
        if (code == entry.code) return &entry;
    }
    return nullptr;
}

}  // namespace engine
