// Usage history (RECENT): the registry lists that Windows and a fixed set of
// applications keep, and the scan that makes one trace row per entry.
// Cleaning a row deletes exactly the value it names (the driver does that).
#pragma once

#include <string>
#include <vector>

#include "engine/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace kv {

// How a source's values become rows; derived from the value name and the label.
enum class HistorySourceKind {
    FilePathData,  // every value; NAME is the file name in the data
    PlainData,     // every value; NAME is the data
    MuiCache,      // values naming a missing file on C:; NAME is that file name
    Help,          // values without data; NAME is the value name
    SingleValue,   // one named value; see SingleValueName
};

struct HistorySource {
    std::string rootName;   // "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE"
    std::string keyPath;
    std::string valueName;  // "0": every value of the key
    std::string label;      // READ text, code page 949
};

// The 23 sources in scan order, labels in code page 949.
const std::vector<HistorySource>& HistorySources();

HistorySourceKind KindOfSource(const std::string& valueName, const std::string& label);

// Adds the rows of one source to the top of the trace list, raising the
// RECENT counter once per row. A source whose key is missing, cannot be
// opened with full access, or has an unknown root adds nothing. Between
// values the scan stops as soon as the analysed flag reads 0.
void ScanHistorySource(Platform& platform, EngineState& state, IView& view,
                       const HistorySource& source);

// Every source in table order.
void ScanHistory(Platform& platform, EngineState& state, IView& view);

}  // namespace kv
