// Autosaved passwords (REGISTRY): every value under the browser's three
// IntelliForms keys (engine/IntelliFormsKeys.h) is one trace row. Cleaning
// deletes the three keys whole, so the rows only show
// what will go.
#pragma once

#include <string>
#include <vector>

#include "engine/core/Categories.h"
#include "engine/core/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

// Each of the three keys that exists, in order, through ScanIntelliFormsKey.
void ScanIntelliForms(seam::IRegistry& reg, EngineState& state, seam::IView& view);

// One row per value of HKEY_CURRENT_USER\`keyPath` (the last enumerated on
// top), raising the REGISTRY counter once per row. A key that cannot be
// opened with full access adds nothing.
void ScanIntelliFormsKey(seam::IRegistry& reg, EngineState& state, seam::IView& view, const std::string& keyPath);

// Cleaning of the IntelliForms rows, all at once: deletes the three keys
// with their subtrees. Removed when none of them is left; Denied when one
// that stays refuses full access, StillThere when it stays otherwise.
RowFate DeleteIntelliForms(seam::IRegistry& reg);

// Every IntelliForms row takes the one deletion's fate.
void DeleteIntelliFormsRows(seam::IRegistry& reg, const RowBatch& rows, std::vector<RowFate>& fates);

}  // namespace engine
