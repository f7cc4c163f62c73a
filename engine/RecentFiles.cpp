#include "engine/RecentFiles.h"

#include <string>
#include <vector>

#include "engine/HistoryNames.h"
#include "engine/JumpListApps.h"
#include "engine/ShellLink.h"
#include "engine/TraceRows.h"
#include "engine/ValueText.h"
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

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// Windows matches extensions without regard to case; a name that is only
// the extension names no file of that kind.
bool HasExtension(const std::u16string& name, std::u16string_view extension) {
    if (name.size() <= extension.size()) return false;
    const size_t start = name.size() - extension.size();
    for (size_t i = 0; i < extension.size(); ++i) {
        if (AsciiLower(name[start + i]) != AsciiLower(extension[i])) return false;
    }
    return true;
}

// The plain files of `folder` whose names end in `extension`.
std::vector<std::u16string> FilesWithExtension(seam::IFileSystem& files, const std::u16string& folder,
                                               std::u16string_view extension) {
    std::vector<seam::FileEntry> entries;
    std::vector<std::u16string> names;
    if (files.ListFolder(folder, entries) != seam::kErrSuccess) return names;
    for (const seam::FileEntry& entry : entries) {
        if ((entry.attributes & seam::kAttrDirectory) == 0 && HasExtension(entry.name, extension)) {
            names.push_back(entry.name);
        }
    }
    return names;
}

void AddFileRow(EngineState& state, seam::IView& view, const std::string& name, const std::string& read,
                const std::string& folderText, const std::string& fileText, const std::string& data,
                const std::u16string& path) {
    seam::TraceItem row;
    row.text[seam::kColName] = TextForCell(name);
    row.text[seam::kColRead] = read;
    row.text[seam::kColCode] = CodeOf(seam::kRecent);
    row.text[seam::kColRegKey] = TextForCell(folderText);
    row.text[seam::kColValue] = TextForCell(fileText);
    row.text[seam::kColData] = TextForCell(data);
    row.target.kind = seam::TargetKind::File;
    row.target.path = path;
    AddTraceRow(state, view, seam::kRecent, row);
}

void ScanShortcutFolder(seam::IFileSystem& files, EngineState& state, seam::IView& view,
                        const std::u16string& folder, const std::string& label) {
    const std::string folderText = seam::Cp949FromUtf16(folder);
    std::vector<uint8_t> bytes;
    for (const std::u16string& fileName : FilesWithExtension(files, folder, kShortcutExtension)) {
        if (!state.m_bAnalysed.load()) return;
        const std::u16string path = folder + u"\\" + fileName;
        ShellLinkTarget link;
        std::string target;
        if (files.ReadFile(path, kShortcutReadLimit, bytes) == seam::kErrSuccess &&
            ReadShellLink(bytes.data(), bytes.size(), link)) {
            target = link.path;
        }
        const std::string fileText = seam::Cp949FromUtf16(fileName);
        const std::string name =
            target.empty() ? seam::Cp949FromUtf16(fileName.substr(0, fileName.size() - kShortcutExtension.size()))
                           : FileNameOf(target);
        AddFileRow(state, view, name, label, folderText, fileText, target, path);
    }
}

void ScanCustomLists(seam::IFileSystem& files, EngineState& state, seam::IView& view, const std::u16string& recent) {
    const std::u16string folder = recent + u"\\CustomDestinations";
    const std::string folderText = seam::Cp949FromUtf16(folder);
    for (const std::u16string& fileName : FilesWithExtension(files, folder, kCustomListExtension)) {
        if (!state.m_bAnalysed.load()) return;
        const std::string fileText = seam::Cp949FromUtf16(fileName);
        std::string program = JumpListProgram(fileText);
        if (program.empty()) program = fileText.substr(0, fileText.find('.'));
        const std::u16string path = folder + u"\\" + fileName;
        AddFileRow(state, view, fileText, TextForCell(program), folderText, fileText, seam::Cp949FromUtf16(path),
                   path);
    }
}

}  // namespace

void ScanRecentFiles(seam::Platform& platform, EngineState& state, seam::IView& view) {
    seam::IFileSystem& files = platform.files;
    for (const ShortcutFolder& source : kShortcutFolders) {
        std::u16string folder;
        if (files.KnownFolderPath(source.base, folder) != seam::kErrSuccess || folder.empty()) continue;
        ScanShortcutFolder(files, state, view, folder + source.below, seam::FixedCp949(source.label));
    }
    std::u16string recent;
    if (files.KnownFolderPath(seam::KnownFolder::Recent, recent) == seam::kErrSuccess && !recent.empty()) {
        ScanCustomLists(files, state, view, recent);
    }
}

CleanOutcome DeleteRecentFile(seam::IFileSystem& files, EngineState& state, seam::IView& view,
                              const seam::TraceTarget& target) {
    if (target.kind != seam::TargetKind::File || target.path.empty()) return CleanOutcome::Skipped;
    const seam::FileFate fate = seam::FileFateOf(files.DeleteFile(target.path));
    if (fate != seam::FileFate::Removed && fate != seam::FileFate::Gone) return CleanOutcome::Stayed;
    state.AddCount(seam::kRecent, -1);
    view.CounterChanged(seam::kRecent);
    return CleanOutcome::Gone;
}

}  // namespace engine
