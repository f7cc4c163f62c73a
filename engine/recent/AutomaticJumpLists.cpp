#include "engine/recent/AutomaticJumpLists.h"

#include <vector>

#include "formats/CompoundFile.h"
#include "formats/DestList.h"
#include "engine/recent/FolderFiles.h"
#include "engine/history/HistoryNames.h"
#include "engine/recent/JumpListApps.h"
#include "formats/ShellLink.h"
#include "seam/Text.h"

namespace engine {
namespace {

constexpr std::u16string_view kAutomaticListExtension = u".automaticDestinations-ms";

// Every entry is either pinned or not; a header that counts other pins than
// the records carry says the pins cannot be read.
bool PinsAreKnown(const DestList& list) {
    uint32_t pinned = 0;
    for (const DestListEntry& entry : list.entries) pinned += entry.pinned ? 1 : 0;
    return pinned == list.pinnedCount;
}

// The entry's target: its link's, else the path its DestList record keeps.
std::string EntryTarget(const CompoundFile& file, const DestListEntry& entry, std::vector<uint8_t>& stream) {
    ShellLinkTarget link;
    if (file.ReadStream(entry.streamName, stream) && ReadShellLink(stream.data(), stream.size(), link) &&
        !link.path.empty()) {
        return link.path;
    }
    return entry.path;
}

// False when the list cannot be read, or its pins cannot: then none of it is listed.
bool ScanJumpList(const std::vector<uint8_t>& bytes, EngineState& state, seam::IView& view,
                  const std::u16string& path, const std::string& folderText, const std::string& fileText) {
    CompoundFile file;
    std::vector<uint8_t> stream;
    DestList list;
    if (!file.Open(bytes.data(), bytes.size()) || !file.ReadStream(kDestListStream, stream) ||
        !ParseDestList(stream.data(), stream.size(), list) || !PinsAreKnown(list)) {
        return false;
    }
    std::string program = JumpListProgram(fileText);
    if (program.empty()) program = fileText.substr(0, fileText.find('.'));
    for (const DestListEntry& entry : list.entries) {
        if (entry.pinned) continue;
        const std::string target = EntryTarget(file, entry, stream);
        // The stream's place inside the file, as a path into the storage.
        const std::string where = fileText + "\\" + seam::Cp949FromUtf16(entry.streamName);
        seam::TraceTarget aim;
        aim.kind = seam::TargetKind::JumpListEntry;
        aim.path = path;
        aim.name = seam::Cp949FromUtf16(entry.streamName);
        aim.id = entry.number;
        // The record's own path beside its number: a list rebuilt since
        // may give the number to another file.
        aim.rowKey = entry.path;
        AddFileRow(state, view, {target.empty() ? where : FileNameOf(target), program, folderText, where, target},
                   aim);
    }
    return true;
}

}  // namespace

void ScanAutomaticJumpLists(seam::IFileSystem& files, EngineState& state, seam::IView& view,
                            const std::u16string& recent) {
    const std::u16string folder = recent + u"\\AutomaticDestinations";
    const std::string folderText = seam::Cp949FromUtf16(folder);
    std::vector<uint8_t> bytes;
    for (const seam::FileEntry& entry : FilesWithExtension(files, state, folder, kAutomaticListExtension)) {
        if (!state.m_bAnalysed.load()) return;
        const std::u16string path = folder + u"\\" + entry.name;
        if (entry.size > kJumpListReadLimit) {
            state.AddNote({NoteKind::TooLarge, path});
            continue;
        }
        const long read = files.ReadFile(path, kJumpListReadLimit, bytes);
        if (read != seam::kErrSuccess) {
            NoteUnread(state, path, read);
            continue;
        }
        if (!ScanJumpList(bytes, state, view, path, folderText, seam::Cp949FromUtf16(entry.name)))
            state.AddNote({NoteKind::Unreadable, path});
    }
}

}  // namespace engine
