#include "engine/recent/JumpListCleaner.h"

#include <vector>

#include "engine/recent/AutomaticJumpLists.h"
#include "formats/DestList.h"

namespace engine {

CJumpListCleaner::CJumpListCleaner(seam::Platform& platform, EngineState& state, seam::IView& view)
    : m_platform(platform), m_state(state), m_view(view) {}

void CJumpListCleaner::Done() {
    m_bGathered = false;
    m_mapListed.clear();
    m_mapGone.clear();
}

// Rows the user left out in the details window are off the list by now, so
// every jump list row still in it is to be cleaned.
void CJumpListCleaner::GatherListedEntries() {
    m_bGathered = true;
    seam::ITraceList& list = m_view.Traces();
    const int count = list.Count();
    for (int i = 0; i < count; ++i) {
        const seam::TraceItem row = list.Read(i);
        if (row.target.kind != seam::TargetKind::JumpListEntry) continue;
        m_mapListed[row.target.path].insert(static_cast<uint32_t>(row.target.id));
    }
}

std::set<uint32_t> CJumpListCleaner::CleanFile(const std::u16string& path, const std::set<uint32_t>& wanted) {
    std::set<uint32_t> gone;
    size_t left = 0;
    const long result = m_platform.compoundFiles.EditStreams(
        path, kDestListStream, kJumpListReadLimit, [&](const std::vector<uint8_t>& stream, seam::StreamEdit& edit) {
            // The list as it is now: its owner may have changed it since the analysis.
            DestList list;
            if (!ParseDestList(stream.data(), stream.size(), list)) return false;
            uint32_t pinned = 0;
            std::set<uint32_t> present, drop;
            for (const DestListEntry& entry : list.entries) {
                present.insert(entry.number);
                if (entry.pinned) ++pinned;
                if (entry.pinned || wanted.count(entry.number) == 0) continue;
                drop.insert(entry.number);
                edit.destroy.push_back(entry.streamName);
            }
            if (pinned != list.pinnedCount) return false;
            if (!DropDestListEntries(stream, drop, edit.content)) return false;
            for (uint32_t number : wanted) {
                if (drop.count(number) != 0 || present.count(number) == 0) gone.insert(number);
            }
            left = list.entries.size() - drop.size();
            return true;
        });
    if (seam::FileFateOf(result) == seam::FileFate::Gone) return wanted;
    if (result != seam::kErrSuccess) return {};
    // An empty list is no use to its program; a failure to delete it leaves
    // nothing of the user's behind, so it does not keep the rows.
    if (left == 0) m_platform.files.DeleteFile(path);
    return gone;
}

CleanOutcome CJumpListCleaner::Remove(const seam::TraceTarget& target) {
    if (target.kind != seam::TargetKind::JumpListEntry || target.path.empty()) return CleanOutcome::Skipped;
    if (!m_bGathered) GatherListedEntries();
    auto done = m_mapGone.find(target.path);
    if (done == m_mapGone.end()) {
        std::set<uint32_t> wanted = m_mapListed[target.path];
        wanted.insert(static_cast<uint32_t>(target.id));
        done = m_mapGone.emplace(target.path, CleanFile(target.path, wanted)).first;
    }
    if (done->second.count(static_cast<uint32_t>(target.id)) == 0) return CleanOutcome::Stayed;
    m_state.AddCount(seam::kRecent, -1);
    m_view.CounterChanged(seam::kRecent);
    return CleanOutcome::Gone;
}

}  // namespace engine
