// What the browsers' databases hold, turned into trace rows: one record per
// visited address, search term, saved login and autosaved form entry, read
// from an open copy of the database, and one list row per record.
//
// The records keep each text exactly as the database holds it (UTF-8), for
// cleaning to match; so do the rows' NAME and DATA, which become code page
// 949 cells only where they are shown. A password column is never named in
// any query.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/browsers/BrowserProfiles.h"
#include "formats/SqliteHandles.h"
#include "seam/View.h"

namespace engine {

// The tables a row can come from, as its target names them.
inline constexpr const char* kTableUrls = "urls";
inline constexpr const char* kTableSearchTerms = "keyword_search_terms";
inline constexpr const char* kTableLogins = "logins";
inline constexpr const char* kTableForms = "autofill";

// One table whose rows are listed: the row's id (the table's own `id`
// column where it has one, else the rowid), a required text column and
// optional ones; and how cleaning finds a listed row again.
struct ListedTable {
    DatabaseKind kind;
    const char* table;
    const char* idColumn;  // nullptr: the rowid
    const char* key;       // required: without it (or the id column) the table gives no rows
    const char* parent;    // optional integer, or nullptr
    const char* value;     // optional text kept whole, or nullptr
    const char* display;   // optional text for DATA only, or nullptr
    // Cleaning leaves a database alone whose table lacks the columns.
    bool bRequired;
    // Cleaning finds the row by key and value alone, wherever its rowid is
    // now: they are a form entry's primary key, and the rowid of such a
    // table is SQLite's own, which a VACUUM renumbers.
    bool bByTexts;
};

inline constexpr ListedTable kListedTables[] = {
    {DatabaseKind::History, kTableUrls, "id", "url", nullptr, nullptr, "title", true, false},
    {DatabaseKind::History, kTableSearchTerms, nullptr, "term", "url_id", nullptr, nullptr, false, false},
    {DatabaseKind::Logins, kTableLogins, nullptr, "origin_url", nullptr, "username_value", nullptr, true, false},
    {DatabaseKind::Forms, kTableForms, nullptr, "name", nullptr, "value", nullptr, true, true},
};

// The row's id in SQL: its id column, quoted, or "rowid".
std::string IdSql(const ListedTable& table);

struct BrowserRecord {
    const char* table = "";
    int64_t id = 0;        // the row's id (urls.id, else its rowid)
    int64_t parentId = 0;  // a search term's address (its url_id)
    std::string key;       // address, term, site or field name, whole
    std::string value;     // user name or form value, whole
    std::string data;      // the DATA text's source, cut
};

// Hands `each` the records of one database of `kind`, one at a time, as
// SQLite steps to them (a scan turns each into its row at once, with no list
// of records in between). A missing table or column gives no records of that
// table (an optional column reads as empty); a corrupt page ends the table's
// records where it starts. Stops early when `keepGoing` is down.
// The record handed over is one object refilled for each row, so that its
// texts' room is reused; `each` copies what it keeps.
void ForEachRecord(CSqliteDb& db, DatabaseKind kind, const std::atomic<bool>& keepGoing,
                   const std::function<void(const BrowserRecord&)>& each);

// The same records, gathered.
std::vector<BrowserRecord> ReadRecords(CSqliteDb& db, DatabaseKind kind, const std::atomic<bool>& keepGoing);

// The READ column: the browser and its profile folder.
std::string ProfileText(const BrowserEntry& browser, const std::u16string& profile);

// The REGKEY column: the database's path.
std::string PathText(const std::u16string& path);

// The list row for one record of the database at `path` (`pathText` its
// PathText, made once for all its rows).
seam::TraceItem MakeBrowserRow(const BrowserRecord& record, seam::Category category, const std::string& read,
                               const std::u16string& path, const std::string& pathText);

// The same in two steps, for a scan that refills one row for every record
// of a database: what all its rows share, once, then each record's own
// texts, written over the last record's in the room they had.
void SetBrowserRowSource(seam::TraceItem& row, seam::Category category, const std::string& read,
                         const std::u16string& path, const std::string& pathText);
void SetBrowserRowRecord(seam::TraceItem& row, const BrowserRecord& record);

}  // namespace engine
