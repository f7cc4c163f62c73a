// Autosaved passwords (REGISTRY): every value under the browser's three
// IntelliForms keys (engine/IntelliFormsKeys.h) is one trace row. Cleaning
// deletes the three keys whole, so the rows only show
// what will go.
#pragma once

#include <string>

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

// Cleaning of any REGISTRY row: deletes the three keys with their subtrees.
// True when none of them is left, and the REGISTRY counter is then 0; one
// that stays (no right to delete it) leaves the counter as it was.
bool DeleteIntelliForms(seam::IRegistry& reg, EngineState& state, seam::IView& view);

}  // namespace engine
