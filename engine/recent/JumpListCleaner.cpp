#include "engine/recent/JumpListCleaner.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "engine/recent/AutomaticJumpLists.h"
#include "engine/recent/RecentFiles.h"
#include "formats/DestList.h"

namespace engine {

void EditJumpList(seam::Platform& platform, const RowBatch& rows, std::vector<RowFate>& fates) {
    fates.assign(rows.size(), RowFate::StillThere);
    if (rows.empty() || rows.front()->target.path.empty()) return;
    const std::u16string& path = rows.front()->target.path;
    // Each listed entry by its number and its record's path.
    std::map<uint32_t, std::string> wanted;
    for (const seam::TraceItem* row : rows) wanted[static_cast<uint32_t>(row->target.id)] = row->target.rowKey;

    std::set<uint32_t> dropped, present;
    size_t left = 0;
    const long result = platform.compoundFiles.EditStreams(
        path, kDestListStream, kJumpListReadLimit, [&](const std::vector<uint8_t>& stream, seam::StreamEdit& edit) {
            // The list as it is now: its owner may have changed it since the analysis.
            DestList list;
            if (!ParseDestList(stream.data(), stream.size(), list)) return false;
            uint32_t pinned = 0;
            for (const DestListEntry& entry : list.entries) {
                if (entry.pinned) ++pinned;
                const auto listed = wanted.find(entry.number);
                // An entry is the one listed only while it keeps its record's path.
                if (listed == wanted.end() || listed->second != entry.path) continue;
                present.insert(entry.number);
                if (entry.pinned) continue;
                dropped.insert(entry.number);
                edit.destroy.push_back(entry.streamName);
            }
            if (pinned != list.pinnedCount) return false;
            if (!DropDestListEntries(stream, dropped, edit.content)) return false;
            left = list.entries.size() - dropped.size();
            return true;
        });
    const seam::FileFate fate = seam::FileFateOf(result);
    if (result != seam::kErrSuccess) {
        // The list was not changed: every row shares why.
        fates.assign(rows.size(), fate == seam::FileFate::Gone ? RowFate::AlreadyGone : FateOfFile(fate));
        return;
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        const uint32_t number = static_cast<uint32_t>(rows[i]->target.id);
        if (dropped.count(number) != 0) {
            fates[i] = RowFate::Removed;
        } else if (present.count(number) == 0) {
            fates[i] = RowFate::AlreadyGone;
        }
    }
    // An empty list is no use to its program; a failure to delete it leaves
    // nothing of the user's behind, so it does not keep the rows.
    if (left == 0) platform.files.DeleteFile(path);
}

}  // namespace engine
