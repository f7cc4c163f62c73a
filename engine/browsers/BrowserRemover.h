// The cleaning pass's side of the browsers' rows: all the listed rows of
// one database go in one transaction on the real file.
//
// The browser must not run meanwhile. When the same pass also ends it (its
// PROCESS row is listed and PROCESS is on), the pass ends programs before it
// touches any database, so it is gone by then; when it still runs, or
// another program holds the database, the rows stay and the pass says to
// close the browser.
#pragma once

#include <vector>

#include "engine/core/Categories.h"
#include "engine/core/EngineState.h"
#include "seam/Platform.h"

namespace engine {

// `rows`: the rows of one database. Removed for a row the transaction took
// out, AlreadyGone for one whose database or entry is no longer there;
// BrowserRunning when the browser runs or the database is locked;
// StillThere for a row the database holds otherwise now, or a database
// that could not be read.
// A history left with no address takes its companion files (engine/
// browsers/BrowserProfiles.h) with it; one that stays is noted in `state`.
// So is the database's -wal when it could not be emptied after the commit
// (FileLeft, BrowserRunning when another connection held it): the removed
// rows are Removed, but their texts are still in that file.
void RemoveBrowserRows(seam::Platform& platform, EngineState& state, const RowBatch& rows,
                       std::vector<RowFate>& fates);

}  // namespace engine
