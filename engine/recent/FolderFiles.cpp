#include "engine/recent/FolderFiles.h"

#include "engine/core/Categories.h"
#include "engine/core/TraceRows.h"
#include "engine/core/ValueText.h"

namespace engine {
namespace {

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

bool HasExtension(const std::u16string& name, std::u16string_view extension) {
    if (name.size() <= extension.size()) return false;
    const size_t start = name.size() - extension.size();
    for (size_t i = 0; i < extension.size(); ++i) {
        if (AsciiLower(name[start + i]) != AsciiLower(extension[i])) return false;
    }
    return true;
}

}  // namespace

std::vector<seam::FileEntry> FilesWithExtension(seam::IFileSystem& files, EngineState& state,
                                                const std::u16string& folder, std::u16string_view extension) {
    std::vector<seam::FileEntry> entries;
    std::vector<seam::FileEntry> picked;
    const long listed = files.ListFolder(folder, entries);
    if (listed != seam::kErrSuccess) {
        NoteUnread(state, folder, listed);
        return picked;
    }
    for (seam::FileEntry& entry : entries) {
        // A link may lead anywhere: what it points at is no trace of this folder.
        if ((entry.attributes & (seam::kAttrDirectory | seam::kAttrReparsePoint)) == 0 &&
            HasExtension(entry.name, extension)) {
            picked.push_back(std::move(entry));
        }
    }
    return picked;
}

void AddFileRow(EngineState& state, seam::IView& view, const FileRowTexts& texts, const seam::TraceTarget& target) {
    seam::TraceItem row;
    row.text[seam::kColName] = TextForCell(texts.name);
    row.text[seam::kColRead] = TextForCell(texts.read);
    row.text[seam::kColCode] = CodeOf(seam::kRecent);
    row.text[seam::kColRegKey] = TextForCell(texts.folder);
    row.text[seam::kColValue] = TextForCell(texts.file);
    row.text[seam::kColData] = TextForCell(texts.data);
    row.target = target;
    AddTraceRow(state, view, seam::kRecent, row);
}

}  // namespace engine
