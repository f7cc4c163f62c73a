// What cleaning one trace removes, kept with the row from the moment a scan
// finds it. The six display texts are for the user; cleaning never parses
// them back, so a file name or registry value name that code page 949 cannot
// spell is still removed exactly.
#pragma once

#include <cstdint>
#include <string>
#include <tuple>

#include "seam/Platform.h"

namespace seam {

enum class TargetKind : uint8_t {
    None,           // nothing to remove (a row the engine did not make)
    RegValue,       // the value `name` (exactly `wideName` when set) of `key` under `root`
    RegKeyTree,     // the IntelliForms keys with their subtrees (removed together)
    Process,        // process `id`, running `name` since `started`
    Service,        // the service paired with the grid agent `name`
    File,           // the file at `path`
    JumpListEntry,  // entry `id` (stream `name`) of the jump list at `path`
    DatabaseRow,    // row `id` of table `name` in the database at `path`
};

struct TraceTarget {
    TargetKind kind = TargetKind::None;
    RegRoot root = RegRoot::CurrentUser;
    // RegValue: the key below `root`, code page 949 as the ANSI calls take it.
    std::string key;
    // RegValue: the value name as the ANSI enumeration gave it. Process and
    // Service: the executable name. JumpListEntry: the entry's stream name.
    // DatabaseRow: the table.
    std::string name;
    // RegValue: the value's exact UTF-16 name, set only when the ANSI
    // spelling lost characters (so the ANSI name could stand for several).
    std::u16string wideName;
    // File, JumpListEntry, DatabaseRow: the exact path, UTF-16 as Windows holds it.
    std::u16string path;
    // JumpListEntry: the entry number; DatabaseRow: the row id; Process: the
    // process id at analysis.
    int64_t id = 0;
    // Process: when that process was created (FILETIME ticks). Cleaning ends
    // only the process that still has both, never a later one given the id.
    uint64_t started = 0;
    // DatabaseRow: the row's texts exactly as the database holds them
    // (UTF-8): the address, search term, site or field name in `rowKey`, the
    // user name or form value in `rowValue`. A row the browser changed since
    // is not removed: only one that still holds them is.
    std::string rowKey;
    std::string rowValue;
    // DatabaseRow of a search term: the address it was typed for (its row id
    // in the same database), which takes the term with it.
    int64_t parentId = 0;
};

// The same trace: every field agrees. Two rows whose texts show alike (names
// code page 949 cannot spell, or cut to a cell) are two traces all the same.
inline bool operator==(const TraceTarget& a, const TraceTarget& b) {
    return std::tie(a.kind, a.root, a.key, a.name, a.wideName, a.path, a.id, a.started, a.rowKey, a.rowValue,
                    a.parentId) == std::tie(b.kind, b.root, b.key, b.name, b.wideName, b.path, b.id, b.started,
                                            b.rowKey, b.rowValue, b.parentId);
}
inline bool operator!=(const TraceTarget& a, const TraceTarget& b) { return !(a == b); }

}  // namespace seam
