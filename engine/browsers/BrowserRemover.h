// The cleaning pass's side of the browsers' rows. The pass removes rows one
// at a time; a database is changed once, in one transaction: the first time
// a row of a database comes up, every row of that database still listed
// goes with it, and what became of each is kept for when its own turn comes,
// until the pass is over.
//
// The browser must not run meanwhile. When the same pass also ends it (its
// PROCESS row is listed and PROCESS is on), it is ended before its first
// database is touched, whatever order the rows come in; when it still runs,
// or another program holds the database, the rows stay and the pass says to
// close the browser.
#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>

#include "engine/core/Categories.h"
#include "engine/core/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

class CBrowserRemover {
public:
    CBrowserRemover(seam::Platform& platform, EngineState& state, seam::IView& view)
        : m_platform(platform), m_state(state), m_view(view) {}

    // One DatabaseRow row; lowers its category's counter when it went.
    CleanOutcome Remove(const seam::TraceItem& row);
    // The pass is over: forgets it all. True when rows stayed because a
    // browser ran or held its database.
    bool Done();

private:
    using RowKey = std::pair<std::string, int64_t>;  // table, id
    struct DatabaseOutcome {
        std::map<RowKey, bool> rows;  // gone or not
    };

    void CleanDatabase(const seam::TraceItem& first);
    bool BrowserRuns(const std::string& exe, bool bProcessRowListed);

    seam::Platform& m_platform;
    EngineState& m_state;
    seam::IView& m_view;
    std::map<std::u16string, DatabaseOutcome> m_mapDone;  // by database path
    std::set<std::string> m_setEnded;                    // browsers this pass ended
    bool m_bBrowserKept = false;
};

}  // namespace engine
