// Usage history kept as files (RECENT): the shortcuts Windows, Office and
// Hancom Office leave in their Recent folders, and the custom jump lists
// programs build. One row per file; cleaning a row deletes exactly that file
// (DeleteRecentFiles). Nothing else in those folders is listed or touched.
#pragma once

#include <string>
#include <vector>

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

// The user's Recent folder, or empty when Windows names none.
std::u16string RecentFolder(seam::IFileSystem& files);

// Cleaning of one file's rows: deletes the file at the target's exact path.
// Removed when it was deleted, AlreadyGone when it was not there; InUse
// while a program holds it open, Denied when it is read-only or the user
// may not delete it.
void DeleteRecentFiles(seam::IFileSystem& files, const RowBatch& rows, std::vector<RowFate>& fates);

}  // namespace engine
