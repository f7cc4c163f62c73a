// Usage history (RECENT): the registry lists that Windows and a fixed set of
// applications keep, and the scan that makes one trace row per entry.
// Cleaning a row deletes exactly the value it names (DeleteHistoryValue).
#pragma once

#include <string>
#include <vector>

#include "engine/core/Categories.h"
#include "engine/core/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

// How a source's values become rows.
enum class HistorySourceKind {
    FilePathData,  // every value; NAME is the file name in the data
    PlainData,     // every value; NAME is the data
    MuiCache,      // values naming a missing file on C:; NAME is that file name
    Help,          // values without data; NAME is the value name
    SingleValue,   // one named value; see SingleValueName
    UnicodeName,   // every value; NAME is the UTF-16 text its data begins with
    ShellItemList, // every value; NAME is the file its shell item list ends with
    Rot13Name,     // every value; NAME is the file of its ROT13-decoded name
    MuiCacheCurrent,  // as MuiCache, for names ending ".FriendlyAppName" / ".ApplicationCompany"
    ValueName,     // every value; NAME is the value name
    RememberedFile,   // every value; NAME is the file the value name or its data holds
};

// The value name of a source that lists every value of its keys.
inline constexpr const char* kEveryValue = "0";

struct HistorySource {
    seam::RegRoot root;
    // The key below the root; a "*" level stands for every direct subkey
    // there (engine/KeyPattern.h).
    std::string keyPath;
    bool withSubkeys;       // the key itself, then each of its direct subkeys
    std::string valueName;  // a single-value source's value; kEveryValue otherwise
    std::string label;      // READ text, code page 949
    HistorySourceKind kind;
};

// Every source in scan order, labels in code page 949.
const std::vector<HistorySource>& HistorySources();

// Adds the rows of one source to the top of the trace list, raising the
// RECENT counter once per row, REGKEY naming the concrete key each value was
// found in. A key that is missing or cannot be opened with full access adds
// nothing. Between values the scan stops as soon as the analysed flag is down.
void ScanHistorySource(seam::Platform& platform, EngineState& state, seam::IView& view,
                       const HistorySource& source);

// Every source in table order.
void ScanHistory(seam::Platform& platform, EngineState& state, seam::IView& view);

// Cleaning of the rows of one key: opens it once and deletes the value each
// row's target names (never read back from the display texts), by its real
// UTF-16 name when the row has one. A row with only a lossy ANSI name that
// several values share touches none of them: Ambiguous. Removed when the
// value went, AlreadyGone when it was no longer there, Denied when the key
// or the value refuses, StillThere when it stays for no reason given.
void DeleteHistoryValues(seam::IRegistry& reg, const RowBatch& rows, std::vector<RowFate>& fates);

}  // namespace engine
