// Cleaning one browser database: every chosen row of it in one transaction
// on the real file, with what refers to the rows, and nothing else.
//
// A removed address takes with it every row of any table that points at it
// (a `url_id` column, an integer `url` column, or a name ending in `_url_id`),
// its visits and every row pointing at those (`visit_id`, `..._visit_id`,
// and `visit_source` by its id) and its segments' usage (`segment_id`). The
// referring tables come from the database's own schema, so a table the
// browser added or dropped in some version is met as it is. A removed login
// takes the rows that point at it (`parent_id`: notes, insecure-credential
// marks); a form entry goes by its name and value.
#pragma once

#include <string>
#include <vector>

#include "engine/browsers/BrowserProfiles.h"
#include "seam/TraceTarget.h"

namespace engine {

// How long cleaning waits for a lock another program holds on a database.
// A running browser holds its lock as long as it runs, so a longer wait
// would only lengthen the pass; a browser the pass ended has let go of it
// by the time its end was seen.
inline constexpr int kDatabaseBusyMs = 500;

enum class DatabaseFate {
    Cleaned,     // the transaction went through: each row says whether it went
    Missing,     // there is no such file any more
    Locked,      // another program (the browser) holds the database
    Unreadable,  // not a database, or not one of the expected tables: untouched
};

struct RowRemoval {
    seam::TraceTarget target;
    bool bGone = false;  // out: the row is no longer in the database
};

// What became of a cleaned database's write-ahead log (its -wal file),
// which still holds the texts of the rows the transaction removed until it
// is checkpointed into the database and emptied.
enum class WalFate {
    NoWal,    // the database is not in write-ahead mode
    Emptied,  // checkpointed and cut to nothing: no removed text is left in it
    Busy,     // another connection (the browser's) reads from it: it stays as it was
    Failed,   // the checkpoint failed otherwise: it stays as it was
};

struct DatabaseResult {
    DatabaseFate fate = DatabaseFate::Unreadable;
    // History only: this pass removed addresses and none is left.
    bool bNoAddressLeft = false;
    // Cleaned only: the log after the commit.
    WalFate wal = WalFate::NoWal;
};

// Removes `rows` (all of the database at `utf8Path`, of `kind`) in one
// transaction. A row the database no longer holds as listed is not removed;
// when its id is gone it counts as gone, when another entry holds the id
// now it stays. On any error everything is rolled back and every row stays.
// What goes is overwritten with zeros (secure_delete), and a database in
// write-ahead mode is checkpointed after the commit with its -wal cut to
// nothing, so that no removed text stays readable in either file.
DatabaseResult RemoveDatabaseRows(const std::string& utf8Path, DatabaseKind kind, std::vector<RowRemoval>& rows);

// True when another program holds the database so that it cannot even be
// read (the browsers keep theirs locked while they run). Changes nothing.
bool DatabaseLocked(const std::string& utf8Path);

}  // namespace engine
