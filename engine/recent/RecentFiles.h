// Usage history kept as files (RECENT): the shortcuts Windows, Office and
// Hancom Office leave in their Recent folders, and the custom jump lists
// programs build. One row per file; cleaning a row deletes exactly that file
// (DeleteRecentFile). Nothing else in those folders is listed or touched.
#pragma once

#include "engine/core/Categories.h"
#include "engine/core/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

// How much of a shortcut is read to find its target: far more than any
// shortcut Windows writes, little enough that a stray large file costs nothing.
inline constexpr size_t kShortcutReadLimit = 64 * 1024;

// Adds a row for every `*.lnk` directly in each Recent folder and for every
// custom jump list, raising the RECENT counter once per row. A folder that
// is missing adds nothing. Between files the scan stops as soon as the
// analysed flag is down.
void ScanRecentFiles(seam::Platform& platform, EngineState& state, seam::IView& view);

// Cleaning of one file row: deletes the file at the target's exact path.
// Gone (and the RECENT counter lowered) when it was deleted or was already
// gone; Stayed while a program holds it open or the user may not delete it;
// Skipped for a target that is not a file.
CleanOutcome DeleteRecentFile(seam::IFileSystem& files, EngineState& state, seam::IView& view,
                              const seam::TraceTarget& target);

}  // namespace engine
