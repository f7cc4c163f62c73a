#include "engine/recent/RecentFiles.h"

#include <string>
#include <vector>

#include "engine/recent/FolderFiles.h"
#include "engine/history/HistoryNames.h"
#include "engine/recent/JumpListApps.h"
#include "formats/ShellLink.h"
#include "seam/Text.h"

namespace engine {
namespace {

// Labels (UTF-8 here; the rows carry their code page 949 form).
constexpr const char* kLabelRecentItems = "최근 항목";
constexpr const char* kLabelOfficeRecent = "오피스 최근 문서";
constexpr const char* kLabelHancomRecent = "한컴오피스 최근 문서";

constexpr std::u16string_view kShortcutExtension = u".lnk";
constexpr std::u16string_view kCustomListExtension = u".customDestinations-ms";

// A folder of shortcuts: a known folder and the path below it.
struct ShortcutFolder {
    seam::KnownFolder base;
    const char16_t* below;  // empty for the known folder itself
    const char* label;
};

constexpr ShortcutFolder kShortcutFolders[] = {
    {seam::KnownFolder::Recent, u"", kLabelRecentItems},
    {seam::KnownFolder::RoamingAppData, u"\\Microsoft\\Office\\Recent", kLabelOfficeRecent},
    {seam::KnownFolder::RoamingAppData, u"\\HNC\\Office\\Recent", kLabelHancomRecent},
};

seam::TraceTarget FileTarget(const std::u16string& path) {
    seam::TraceTarget target;
    target.kind = seam::TargetKind::File;
    target.path = path;
    return target;
}

void ScanShortcutFolder(seam::IFileSystem& files, EngineState& state, seam::IView& view,
                        const std::u16string& folder, const std::string& label) {
    const std::string folderText = seam::Cp949FromUtf16(folder);
    std::vector<uint8_t> bytes;
    for (const seam::FileEntry& entry : FilesWithExtension(files, state, folder, kShortcutExtension)) {
        if (!state.m_bAnalysed.load()) return;
        const std::u16string& fileName = entry.name;
        const std::u16string path = folder + u"\\" + fileName;
        ShellLinkTarget link;
        std::string target;
        const long read = files.ReadFile(path, kShortcutReadLimit, bytes);
        // A shortcut reached through a link may be any file anywhere: not
        // listed, only named.
        if (read == seam::kErrLinked) {
            NoteUnread(state, path, read);
            continue;
        }
        if (read == seam::kErrSuccess && ReadShellLink(bytes.data(), bytes.size(), link)) target = link.path;
        const std::string fileText = seam::Cp949FromUtf16(fileName);
        const std::string name =
            target.empty() ? seam::Cp949FromUtf16(fileName.substr(0, fileName.size() - kShortcutExtension.size()))
                           : FileNameOf(target);
        AddFileRow(state, view, {name, label, folderText, fileText, target}, FileTarget(path));
    }
}

void ScanCustomLists(seam::IFileSystem& files, EngineState& state, seam::IView& view, const std::u16string& recent) {
    const std::u16string folder = recent + u"\\CustomDestinations";
    const std::string folderText = seam::Cp949FromUtf16(folder);
    for (const seam::FileEntry& entry : FilesWithExtension(files, state, folder, kCustomListExtension)) {
        if (!state.m_bAnalysed.load()) return;
        const std::u16string& fileName = entry.name;
        const std::string fileText = seam::Cp949FromUtf16(fileName);
        std::string program = JumpListProgram(fileText);
        if (program.empty()) program = fileText.substr(0, fileText.find('.'));
        const std::u16string path = folder + u"\\" + fileName;
        const long plain = files.CheckPlainFile(path);
        if (plain == seam::kErrLinked) {
            NoteUnread(state, path, plain);
            continue;
        }
        AddFileRow(state, view, {fileText, program, folderText, fileText, seam::Cp949FromUtf16(path)},
                   FileTarget(path));
    }
}

}  // namespace

std::u16string RecentFolder(seam::IFileSystem& files) {
    std::u16string recent;
    if (files.KnownFolderPath(seam::KnownFolder::Recent, recent) != seam::kErrSuccess) recent.clear();
    return recent;
}

void ScanRecentFiles(seam::Platform& platform, EngineState& state, seam::IView& view) {
    seam::IFileSystem& files = platform.files;
    for (const ShortcutFolder& source : kShortcutFolders) {
        std::u16string folder;
        const long known = files.KnownFolderPath(source.base, folder);
        // Recent pointed out of the profile: said once, here; the jump lists
        // and custom lists below it are passed by as well.
        if (known == seam::kErrLinked) NoteUnread(state, folder, known);
        if (known != seam::kErrSuccess || folder.empty()) continue;
        ScanShortcutFolder(files, state, view, folder + source.below, seam::FixedCp949(source.label));
    }
    const std::u16string recent = RecentFolder(files);
    if (!recent.empty()) ScanCustomLists(files, state, view, recent);
}

void DeleteRecentFiles(seam::IFileSystem& files, const RowBatch& rows, std::vector<RowFate>& fates) {
    fates.assign(rows.size(), RowFate::StillThere);
    if (rows.empty() || rows.front()->target.path.empty()) return;
    // One file, however many rows name it: deleted once.
    fates.assign(rows.size(), FateOfFile(seam::FileFateOf(files.DeleteFile(rows.front()->target.path))));
}

}  // namespace engine
