#include "engine/browsers/BrowserProfiles.h"

#include <algorithm>

namespace engine {
namespace {

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }

// Windows' names match in any letter case.
bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

bool HasDatabase(const std::vector<seam::FileEntry>& entries) {
    for (const seam::FileEntry& entry : entries) {
        if (entry.attributes & seam::kAttrDirectory) continue;
        for (const DatabaseEntry& db : kDatabases) {
            if (SameName(entry.name, db.file)) return true;
        }
    }
    return false;
}

}  // namespace

std::vector<BrowserProfile> FindProfiles(seam::IFileSystem& files) {
    std::vector<BrowserProfile> profiles;
    std::u16string local;
    if (files.KnownFolderPath(seam::KnownFolder::LocalAppData, local) != seam::kErrSuccess || local.empty())
        return profiles;
    for (const BrowserEntry& browser : kBrowsers) {
        const std::u16string userData = local + browser.userData;
        std::vector<seam::FileEntry> entries;
        if (files.ListFolder(userData, entries) != seam::kErrSuccess) continue;
        std::vector<BrowserProfile> found;
        for (const seam::FileEntry& entry : entries) {
            if ((entry.attributes & seam::kAttrDirectory) == 0 || (entry.attributes & seam::kAttrReparsePoint)) continue;
            const std::u16string folder = userData + u"\\" + entry.name;
            std::vector<seam::FileEntry> inside;
            if (files.ListFolder(folder, inside) != seam::kErrSuccess || !HasDatabase(inside)) continue;
            found.push_back({&browser, entry.name, folder});
        }
        std::sort(found.begin(), found.end(),
                  [](const BrowserProfile& a, const BrowserProfile& b) { return a.name < b.name; });
        profiles.insert(profiles.end(), found.begin(), found.end());
    }
    return profiles;
}

bool DatabaseFile(seam::IFileSystem& files, const std::u16string& folder, const std::u16string& name,
                  uint64_t& size) {
    std::vector<seam::FileEntry> entries;
    if (files.ListFolder(folder, entries) != seam::kErrSuccess) return false;
    for (const seam::FileEntry& entry : entries) {
        if ((entry.attributes & (seam::kAttrDirectory | seam::kAttrReparsePoint)) == 0 && SameName(entry.name, name)) {
            size = entry.size;
            return true;
        }
    }
    return false;
}

const DatabaseEntry* DatabaseOfPath(const std::u16string& path) {
    const size_t slash = path.find_last_of(u'\\');
    const std::u16string_view name = slash == std::u16string::npos ? std::u16string_view(path)
                                                                    : std::u16string_view(path).substr(slash + 1);
    for (const DatabaseEntry& db : kDatabases) {
        if (SameName(name, db.file)) return &db;
    }
    return nullptr;
}

const BrowserEntry* BrowserOfPath(const std::u16string& path) {
    std::u16string lower = path;
    for (char16_t& c : lower) c = AsciiLower(c);
    for (const BrowserEntry& browser : kBrowsers) {
        std::u16string folder = std::u16string(browser.userData) + u"\\";
        for (char16_t& c : folder) c = AsciiLower(c);
        if (lower.find(folder) != std::u16string::npos) return &browser;
    }
    return nullptr;
}

std::u16string FolderOf(const std::u16string& path) {
    const size_t slash = path.find_last_of(u'\\');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

}  // namespace engine
