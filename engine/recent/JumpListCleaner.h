// Cleaning of automatic jump list entries: all the listed entries of one
// jump list go in one transacted edit (their streams destroyed, their
// DestList records dropped, one commit). The file itself goes only when no
// entry is left in it; a pinned entry is never removed, even one pinned
// since the analysis.
#pragma once

#include <vector>

#include "engine/core/Categories.h"
#include "seam/Platform.h"

namespace engine {

// `rows`: the rows of one jump list. Removed for an entry the edit took out,
// AlreadyGone for one no longer in the list (or a list no longer there);
// InUse or Denied when the list could not be changed because a program
// holds it or it is read-only; StillThere for an entry pinned now, or a
// list whose pins can no longer be read.
void EditJumpList(seam::Platform& platform, const RowBatch& rows, std::vector<RowFate>& fates);

}  // namespace engine
