// The four trace categories: for each its code text and its scanner, in the
// order analysis runs them; and for each kind of trace target, its remover.
// The driver walks these tables; nothing else spells a category code. A
// row's category (by its code) decides its counter and whether its check box
// lets it be cleaned; its target alone decides what removes it.
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
    virtual void ScanRegistryTraces() = 0;  // RECENT: every usage-history source, registry and files

    // Cleaning of one row, chosen by its target's kind (kRemoverTable). Each
    // lowers its own category's counter as the traces go.
    virtual CleanOutcome StopGridService(const seam::TraceItem& row) = 0;
    virtual CleanOutcome TerminateProcessByName(const seam::TraceItem& row) = 0;
    virtual CleanOutcome DeleteIntelliForms(const seam::TraceItem& row) = 0;
    virtual CleanOutcome DeleteHistoryValue(const seam::TraceItem& row) = 0;
    virtual CleanOutcome DeleteRecentFile(const seam::TraceItem& row) = 0;
    virtual CleanOutcome DeleteJumpListEntry(const seam::TraceItem& row) = 0;
    // A browser's row (RECENT or REGISTRY): the first row of a database
    // cleans every listed row of it at once, the others take their outcome.
    virtual CleanOutcome DeleteBrowserRow(const seam::TraceItem& row) = 0;
    // The cleaning walk is over: whatever the removers kept for the next row
    // (an open registry key, how a jump list's edit went, the outcomes of a
    // database) is let go.
    virtual void CleaningDone() = 0;
    // After CleaningDone: rows of the pass stayed because their browser ran
    // (or held its database), so the user is to close it.
    virtual bool BrowserHeldRows() const = 0;
};

struct CategoryEntry {
    seam::Category category;
    const char* code;  // the CODE column's text, compared exactly
    void (ICategories::*scan)();
};

// In scan order; the Category enum indexes it.
inline constexpr CategoryEntry kCategoryTable[seam::kCategoryCount] = {
    {seam::kGrid, "GRID", &ICategories::ScanGridAgents},
    {seam::kProcess, "PROCESS", &ICategories::ScanProcesses},
    {seam::kRegistry, "REGISTRY", &ICategories::ScanIntelliForms},
    {seam::kRecent, "RECENT", &ICategories::ScanRegistryTraces},
};

struct RemoverEntry {
    seam::TargetKind kind;
    CleanOutcome (ICategories::*remove)(const seam::TraceItem& row);
};

// The kinds of target a remover exists for; a row with any other is skipped.
inline constexpr RemoverEntry kRemoverTable[] = {
    {seam::TargetKind::Service, &ICategories::StopGridService},
    {seam::TargetKind::Process, &ICategories::TerminateProcessByName},
    {seam::TargetKind::RegKeyTree, &ICategories::DeleteIntelliForms},
    {seam::TargetKind::RegValue, &ICategories::DeleteHistoryValue},
    {seam::TargetKind::File, &ICategories::DeleteRecentFile},
    {seam::TargetKind::JumpListEntry, &ICategories::DeleteJumpListEntry},
    {seam::TargetKind::DatabaseRow, &ICategories::DeleteBrowserRow},
};

constexpr bool TableFollowsTheEnum() {
    for (int c = 0; c < seam::kCategoryCount; ++c) {
        if (kCategoryTable[c].category != c) return false;
    }
    return true;
}
static_assert(TableFollowsTheEnum(), "kCategoryTable is indexed by Category");

inline const char* CodeOf(seam::Category category) { return kCategoryTable[category].code; }

inline const RemoverEntry* RemoverOf(seam::TargetKind kind) {
    for (const RemoverEntry& entry : kRemoverTable) {
        if (entry.kind == kind) return &entry;
    }
    return nullptr;
}

// The entry whose code equals `code` exactly (case-sensitive), or nullptr.
inline const CategoryEntry* CategoryOfCode(const std::string& code) {
    for (const CategoryEntry& entry : kCategoryTable) {
        if (code == entry.code) return &entry;
    }
    return nullptr;
}

}  // namespace engine
