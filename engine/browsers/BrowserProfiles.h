// The browsers built on the same engine that Korean PCs run (Microsoft Edge,
// Google Chrome, Naver Whale), where each keeps its profiles, and which of a
// profile's databases the program reads. Every profile folder below a
// browser's `User Data` (`Default`, `Profile 1`, ...) holds the same files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

struct BrowserEntry {
    const char* label;          // the READ column's browser name (UTF-8)
    const char16_t* userData;   // below Local AppData, from a backslash
    const char* exe;            // its PROCESS row's executable
};

inline constexpr BrowserEntry kBrowsers[] = {
    {"마이크로소프트 엣지", u"\\Microsoft\\Edge\\User Data", "msedge.exe"},
    {"구글 크롬", u"\\Google\\Chrome\\User Data", "chrome.exe"},
    {"네이버 웨일", u"\\Naver\\Naver Whale\\User Data", "whale.exe"},
};

enum class DatabaseKind : uint8_t { History, Logins, Forms };

struct DatabaseEntry {
    const char16_t* file;  // the file's name in the profile folder
    DatabaseKind kind;
    seam::Category category;  // whose rows it gives
};

inline constexpr DatabaseEntry kDatabases[] = {
    {u"History", DatabaseKind::History, seam::kRecent},
    {u"Login Data", DatabaseKind::Logins, seam::kRegistry},
    {u"Login Data For Account", DatabaseKind::Logins, seam::kRegistry},
    {u"Web Data", DatabaseKind::Forms, seam::kRegistry},
};

// Files beside History that repeat it; they go when the last address does,
// each with its -journal.
inline constexpr const char16_t* kHistoryCompanions[] = {u"Visited Links", u"Top Sites", u"Shortcuts"};

// How much of one database is read for analysis. A larger file is not
// listed at all: a cut copy would be a corrupt database.
inline constexpr uint64_t kDatabaseReadLimit = 256ull * 1024 * 1024;

struct BrowserProfile {
    const BrowserEntry* browser = nullptr;
    std::u16string name;    // the folder's name: "Default", "Profile 1", ...
    std::u16string folder;  // its whole path
};

// Every profile folder of every browser that holds at least one of the
// databases, browsers in table order and profiles by name.
std::vector<BrowserProfile> FindProfiles(seam::IFileSystem& files);

// The database of that name in `folder`, with its size, when it is a file.
bool DatabaseFile(seam::IFileSystem& files, const std::u16string& folder, const std::u16string& name,
                  uint64_t& size);

// The entry for a database path by its last name, or nullptr.
const DatabaseEntry* DatabaseOfPath(const std::u16string& path);
// The browser whose `User Data` folder the path lies below, or nullptr.
const BrowserEntry* BrowserOfPath(const std::u16string& path);
// The folder part of a path (before its last backslash).
std::u16string FolderOf(const std::u16string& path);

}  // namespace engine
