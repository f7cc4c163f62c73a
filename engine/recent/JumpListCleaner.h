// Cleaning of automatic jump list entries. Removal comes one row at a time,
// but a jump list is changed once: the first row of a file takes every
// listed entry of that file with it in one transacted edit (their streams
// destroyed, their DestList records dropped, one commit), and the rows after
// it learn how that went. The file itself goes only when no entry is left in
// it; a pinned entry is never removed, even one pinned since the analysis.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "engine/core/Categories.h"
#include "engine/core/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

class CJumpListCleaner {
public:
    CJumpListCleaner(seam::Platform& platform, EngineState& state, seam::IView& view);

    // Gone (and the RECENT counter lowered) when the entry is no longer in
    // its list; Stayed when the list could not be changed (a program holds
    // it, it is read-only, its pins cannot be read) or the entry is pinned
    // now; Skipped for a target that is no jump list entry.
    CleanOutcome Remove(const seam::TraceTarget& target);

    // The cleaning walk is over; the next one starts afresh.
    void Done();

private:
    void GatherListedEntries();
    std::set<uint32_t> CleanFile(const std::u16string& path, const std::set<uint32_t>& wanted);

    seam::Platform& m_platform;
    EngineState& m_state;
    seam::IView& m_view;
    bool m_bGathered = false;
    std::map<std::u16string, std::set<uint32_t>> m_mapListed;  // path -> entry numbers of the list's rows
    std::map<std::u16string, std::set<uint32_t>> m_mapGone;    // path -> entries gone, once its file is done
};

}  // namespace engine
