// The four trace categories as the pass driver sees them: for each its code
// text, in the order analysis runs them; and the one interface through which
// the driver asks the kinds of trace (engine/kinds/TraceKinds.h) to scan a
// category and to remove the rows of one container. A row's category (by
// its code) decides its counter and whether its check box lets it be
// cleaned; its target alone decides what removes it.
//
// CTraceCategories (engine/kinds/TraceCategories.h) is the real
// implementation; the driver's tests use a fake that adds chosen rows.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "seam/View.h"

namespace engine {

// What cleaning one row came to, as its remover saw it. Every fate but the
// first two keeps the row in the list and says why, for the status line and
// the unattended report.
enum class RowFate : uint8_t {
    Removed,         // removed by this pass
    AlreadyGone,     // nothing was there any more to remove
    InUse,           // a program holds the file open
    Denied,          // the key, file, process or service refuses the rights its removal needs
    BrowserRunning,  // its browser runs, or another program holds the database locked
    Ambiguous,       // the name stands for several (code page 949 cannot tell them apart)
    Linked,          // reached through a link or junction, so never touched
    StillRunning,    // the process runs (again) after it was ended, or the service did not stop
    StillThere,      // the removal failed for a reason the machine does not give
    Skipped,         // not attempted: its category is switched off, or no remover knows its target
};

inline bool IsGone(RowFate fate) { return fate == RowFate::Removed || fate == RowFate::AlreadyGone; }
// A fate that is a failure of the pass, as the status line counts them.
inline bool IsStayed(RowFate fate) { return !IsGone(fate) && fate != RowFate::Skipped; }

// What a file's deletion came to, as a row's fate.
inline RowFate FateOfFile(seam::FileFate fate) {
    switch (fate) {
        case seam::FileFate::Removed: return RowFate::Removed;
        case seam::FileFate::Gone: return RowFate::AlreadyGone;
        case seam::FileFate::InUse: return RowFate::InUse;
        case seam::FileFate::Denied: return RowFate::Denied;
        case seam::FileFate::Linked: return RowFate::Linked;
        case seam::FileFate::Failed: break;
    }
    return RowFate::StillThere;
}

// What holds a row, and so what one remover call changes at once: a
// registry key, a file, a jump list, a database, a program's name. Rows of
// one container go to their remover together; two containers never share
// a call.
struct Container {
    seam::TargetKind kind = seam::TargetKind::None;
    seam::RegRoot root = seam::RegRoot::CurrentUser;
    std::string text;     // a registry key or a program's name
    std::u16string path;  // a file, jump list or database

    bool operator<(const Container& other) const {
        return std::tie(kind, root, text, path) < std::tie(other.kind, other.root, other.text, other.path);
    }
    bool operator==(const Container& other) const {
        return kind == other.kind && root == other.root && text == other.text && path == other.path;
    }
};

// The rows of one container, as the pass read them from the list.
using RowBatch = std::vector<const seam::TraceItem*>;

class ICategories {
public:
    virtual ~ICategories() = default;

    // Analysis: adds the category's rows to the top of the trace list,
    // raising its counter by one per row.
    virtual void Scan(seam::Category category) = 0;

    // Cleaning. The container of a row; kind None for a row no remover knows.
    virtual Container ContainerOf(const seam::TraceTarget& target) const = 0;
    // Removes the rows of one container (all of one target kind) and says
    // what became of each: `fates` comes back as long as `rows`, in order.
    // The counters are the driver's to lower.
    virtual void Remove(const RowBatch& rows, std::vector<RowFate>& fates) = 0;
    // The order containers are cleaned in: lower first. Programs are ended
    // before the files and databases they may hold.
    virtual int CleaningOrder(seam::TargetKind kind) const = 0;
};

struct CategoryEntry {
    seam::Category category;
    const char* code;  // the CODE column's text, compared exactly
};

// In scan order; the Category enum indexes it.
inline constexpr CategoryEntry kCategoryTable[seam::kCategoryCount] = {
    {seam::kGrid, "GRID"},
    {seam::kProcess, "PROCESS"},
    {seam::kRegistry, "REGISTRY"},
    {seam::kRecent, "RECENT"},
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
