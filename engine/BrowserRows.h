// What the browsers' databases hold, turned into trace rows: one record per
// visited address, search term, saved login and autosaved form entry, read
// from an open copy of the database, and one list row per record.
//
// The records keep each text exactly as the database holds it (UTF-8), for
// cleaning to match; the rows' display texts are code page 949, cut to a
// cell. A password column is never named in any query.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/BrowserProfiles.h"
#include "engine/SqliteHandles.h"
#include "seam/View.h"

namespace engine {

// The tables a row can come from, as its target names them.
inline constexpr const char* kTableUrls = "urls";
inline constexpr const char* kTableSearchTerms = "keyword_search_terms";
inline constexpr const char* kTableLogins = "logins";
inline constexpr const char* kTableForms = "autofill";

struct BrowserRecord {
    const char* table = "";
    int64_t id = 0;        // the row's id (urls.id, else its rowid)
    int64_t parentId = 0;  // a search term's address (its url_id)
    std::string key;       // address, term, site or field name, whole
    std::string value;     // user name or form value, whole
    std::string data;      // the DATA text's source, cut
};

// The records of one database of `kind`. A missing table or column gives
// no records of that table (an optional column reads as empty); a corrupt
// page ends the table's records where it starts. Stops early when `keepGoing`
// is down.
std::vector<BrowserRecord> ReadRecords(CSqliteDb& db, DatabaseKind kind, const std::atomic<bool>& keepGoing);

// The READ column: the browser and its profile folder.
std::string ProfileText(const BrowserEntry& browser, const std::u16string& profile);

// The REGKEY column: the database's path.
std::string PathText(const std::u16string& path);

// The list row for one record of the database at `path` (`pathText` its
// PathText, made once for all its rows).
seam::TraceItem MakeBrowserRow(const BrowserRecord& record, seam::Category category, const std::string& read,
                               const std::u16string& path, const std::string& pathText);

// At most `maxBytes` of UTF-8 text, never ending inside a character.
std::string CutUtf8(const std::string& text, size_t maxBytes);

}  // namespace engine
