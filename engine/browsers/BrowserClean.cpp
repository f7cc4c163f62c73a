#include "engine/browsers/BrowserClean.h"

#include <sqlite3.h>

#include <algorithm>
#include <utility>

#include "engine/browsers/BrowserRows.h"
#include "formats/SqliteHandles.h"

namespace engine {
namespace {

bool EndsWith(const std::string& text, const char* tail) {
    const std::string end = tail;
    return text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// What a column points at, by its name (and, for `url`, its type: the
// downloads' `url` columns hold addresses as text, not ids).
bool PointsAtUrl(const ColumnInfo& column) {
    if (column.name == "url_id" || EndsWith(column.name, "_url_id")) return true;
    return column.name == "url" && column.type.find("int") != std::string::npos;
}
bool PointsAtVisit(const std::string& table, const ColumnInfo& column) {
    if (column.name == "visit_id" || EndsWith(column.name, "_visit_id")) return true;
    return table == "visit_source" && column.name == "id";
}

// One transaction's statements: the first failure is kept and the rest are
// not run, so that the transaction ends in a rollback.
class CTransaction {
public:
    explicit CTransaction(CSqliteDb& db) : m_db(db) {}

    bool Failed() const { return m_nError != SQLITE_OK; }
    int Error() const { return m_nError; }
    void Fail(int error) {
        if (m_nError == SQLITE_OK) m_nError = error == SQLITE_OK ? SQLITE_ERROR : error;
    }
    bool Exec(const std::string& sql) {
        if (Failed()) return false;
        const int result = m_db.Exec(sql.c_str());
        if (result != SQLITE_OK) Fail(result);
        return !Failed();
    }
    // Runs a prepared statement to its end; false (and failed) on an error.
    bool Run(CSqliteStatement& statement) {
        if (Failed()) return false;
        if (!statement.Ok()) {
            Fail(SQLITE_ERROR);
            return false;
        }
        int result;
        while ((result = statement.Step()) == SQLITE_ROW) {
        }
        if (result != SQLITE_DONE) Fail(result);
        return !Failed();
    }
    // The first column of the first row, or -1 when there is none.
    int64_t Scalar(CSqliteStatement& statement) {
        if (Failed()) return -1;
        if (!statement.Ok()) {
            Fail(SQLITE_ERROR);
            return -1;
        }
        const int result = statement.Step();
        const int64_t value = result == SQLITE_ROW ? statement.Int(0) : -1;
        if (result != SQLITE_ROW && result != SQLITE_DONE) Fail(result);
        // Let go of the read, so that nothing is in progress at the commit.
        statement.Reset();
        return value;
    }

private:
    CSqliteDb& m_db;
    int m_nError = SQLITE_OK;
};

constexpr size_t kListedCount = sizeof(kListedTables) / sizeof(kListedTables[0]);

// The temporary set of the ids of a table's rows that go (those listed, and
// the visits and segments of the addresses that go). Its ids are its
// rowids, so that `x IN (SELECT id ...)` searches it as it is instead of
// building a list of it for every statement.
std::string GoingSet(const char* table) { return "temp." + QuotedName(std::string("kv_") + table); }

std::string GoingIds(const char* table) { return "(SELECT id FROM " + GoingSet(table) + ")"; }

// Whether the table's rows are found by their texts alone (see ListedTable).
bool FoundByTexts(const ListedTable& table, const std::vector<ColumnInfo>& columns) {
    return table.bByTexts && table.value && HasColumn(columns, table.value);
}

// How a listed row `c` finds its row `t`, so that a row the browser changed
// since stays; empty when the table lacks the columns. Found by its texts,
// the key is compared as it is, so that the table's index on it serves.
std::string MatchSql(const ListedTable& table, const std::vector<ColumnInfo>& columns) {
    if (!HasColumn(columns, table.key) || (table.idColumn && !HasColumn(columns, table.idColumn))) return {};
    std::string sql = FoundByTexts(table, columns)
                          ? "t." + QuotedName(table.key) + " = c.key"
                          : "t." + IdSql(table) + " = c.id AND IFNULL(t." + QuotedName(table.key) + ", '') = c.key";
    if (table.value && HasColumn(columns, table.value)) {
        sql += " AND IFNULL(t." + QuotedName(table.value) + ", '') = c.value";
    }
    return sql;
}

// Every listed row of the database's tables, in one temporary table, with
// its place in `rows`. They go in by table and id, so that every statement
// that walks them meets the tables' rows in order: a B-tree steps on to the
// next row instead of searching for it.
void ListChosen(CSqliteDb& db, CTransaction& tx, const std::vector<RowRemoval>& rows, DatabaseKind kind) {
    std::vector<std::pair<size_t, size_t>> chosen;  // (table, place in rows)
    for (size_t i = 0; i < rows.size(); ++i) {
        for (size_t t = 0; t < kListedCount; ++t) {
            const ListedTable& table = kListedTables[t];
            if (table.kind == kind && rows[i].target.name == table.table) chosen.push_back({t, i});
        }
    }
    std::sort(chosen.begin(), chosen.end(), [&](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : rows[a.second].target.id < rows[b.second].target.id;
    });
    tx.Exec("CREATE TEMP TABLE kv_chosen(tbl TEXT, id INTEGER, key TEXT, value TEXT, seq INTEGER)");
    CSqliteStatement insert(db, "INSERT INTO temp.kv_chosen VALUES (?1, ?2, ?3, ?4, ?5)");
    for (const auto& [table, i] : chosen) {
        if (tx.Failed()) return;
        const seam::TraceTarget& target = rows[i].target;
        insert.Reset();
        insert.BindText(1, kListedTables[table].table);
        insert.BindInt(2, target.id);
        insert.BindText(3, target.rowKey);
        insert.BindText(4, target.rowValue);
        insert.BindInt(5, static_cast<int64_t>(i));
        tx.Run(insert);
    }
}

// Sets bGone on the listed rows of `table` that `sql` (binding the table's
// name) gives the places of.
void MarkGone(CSqliteDb& db, CTransaction& tx, const ListedTable& table, const std::string& sql,
              std::vector<RowRemoval>& rows) {
    if (tx.Failed()) return;
    CSqliteStatement gone(db, sql);
    gone.BindText(1, table.table);
    if (!gone.Ok()) return tx.Fail(SQLITE_ERROR);
    int step;
    while ((step = gone.Step()) == SQLITE_ROW) {
        const int64_t seq = gone.Int(0);
        if (seq >= 0 && static_cast<size_t>(seq) < rows.size()) rows[static_cast<size_t>(seq)].bGone = true;
    }
    if (step != SQLITE_DONE) tx.Fail(step);
}

// The rows of `table` that still hold what was listed join its going set.
// A row found by its texts goes by them, wherever its rowid is now: such a
// listed row is gone once found. False when the table is not understood (a
// failure if it must be).
bool FindChosen(CSqliteDb& db, CTransaction& tx, const ListedTable& table, std::vector<RowRemoval>& rows) {
    const std::vector<ColumnInfo> columns = TableColumns(db, table.table);
    const std::string match = MatchSql(table, columns);
    if (match.empty()) {
        if (table.bRequired) tx.Fail(SQLITE_ERROR);
        return false;
    }
    const std::string found = " FROM temp.kv_chosen AS c JOIN main." + QuotedName(table.table) + " AS t ON " + match +
                              " WHERE c.tbl = ?1";
    tx.Exec("CREATE TEMP TABLE " + GoingSet(table.table) + "(id INTEGER PRIMARY KEY)");
    CSqliteStatement going(db, "INSERT OR IGNORE INTO " + GoingSet(table.table) + " SELECT t." + IdSql(table) + found);
    going.BindText(1, table.table);
    tx.Run(going);
    if (FoundByTexts(table, columns)) MarkGone(db, tx, table, "SELECT c.seq" + found, rows);
    return !tx.Failed();
}

// Once everything is removed, a listed row whose id is no longer in its
// table is gone: the row it found, one the browser removed itself, or a term
// whose id another term took that went with its address. One whose id
// another entry holds stays.
void ReadGone(CSqliteDb& db, CTransaction& tx, const ListedTable& table, std::vector<RowRemoval>& rows) {
    // The going set answers for most rows, more cheaply than the table.
    MarkGone(db, tx, table,
             "SELECT c.seq FROM temp.kv_chosen AS c WHERE c.tbl = ?1 AND (c.id IN " + GoingIds(table.table) +
                 " OR NOT EXISTS (SELECT 1 FROM main." + QuotedName(table.table) + " AS t WHERE t." + IdSql(table) +
                 " = c.id))",
             rows);
}

// What refers to the addresses that go: their visits and every row of any
// table pointing at those or at the addresses, their segments' usage.
// False when no address goes.
bool RemoveAddressReferrers(CSqliteDb& db, CTransaction& tx) {
    const std::string urlSet = GoingIds(kTableUrls);
    CSqliteStatement any(db, "SELECT EXISTS " + urlSet);
    if (tx.Scalar(any) != 1) return false;
    const std::vector<ColumnInfo> visitColumns = TableColumns(db, "visits");
    const bool bVisits = HasColumn(visitColumns, "id") && HasColumn(visitColumns, "url");
    if (bVisits) {
        tx.Exec("CREATE TEMP TABLE " + GoingSet("visits") + "(id INTEGER PRIMARY KEY)");
        tx.Exec("INSERT INTO " + GoingSet("visits") + " SELECT id FROM main.visits WHERE url IN " + urlSet);
    }
    const std::vector<ColumnInfo> segmentColumns = TableColumns(db, "segments");
    const bool bSegments = HasColumn(segmentColumns, "id") && HasColumn(segmentColumns, "url_id");
    if (bSegments) {
        tx.Exec("CREATE TEMP TABLE " + GoingSet("segments") + "(id INTEGER PRIMARY KEY)");
        tx.Exec("INSERT INTO " + GoingSet("segments") + " SELECT id FROM main.segments WHERE url_id IN " + urlSet);
    }
    for (const std::string& table : TableNames(db)) {
        const std::string lower = LowerAscii(table);
        if (lower == kTableUrls || lower == "visits") continue;
        std::string where;
        for (const ColumnInfo& column : TableColumns(db, table)) {
            std::string set;
            if (PointsAtUrl(column)) set = urlSet;
            else if (bVisits && PointsAtVisit(lower, column)) set = GoingIds("visits");
            else if (bSegments && column.name == "segment_id") set = GoingIds("segments");
            if (set.empty()) continue;
            where += (where.empty() ? "" : " OR ") + QuotedName(column.name) + " IN " + set;
        }
        if (!where.empty()) tx.Exec("DELETE FROM main." + QuotedName(table) + " WHERE " + where);
    }
    if (bVisits) tx.Exec("DELETE FROM main.visits WHERE id IN " + GoingIds("visits"));
    return true;
}

// What points at the logins that go (`parent_id`: notes, insecure-credential marks).
void RemoveLoginReferrers(CSqliteDb& db, CTransaction& tx) {
    for (const std::string& table : TableNames(db)) {
        if (LowerAscii(table) == kTableLogins || !HasColumn(TableColumns(db, table), "parent_id")) continue;
        tx.Exec("DELETE FROM main." + QuotedName(table) + " WHERE parent_id IN " + GoingIds(kTableLogins));
    }
}

// The listed rows of one database found, what refers to them removed, then
// they themselves, each with a statement a table, whatever their number.
void RemoveChosen(CSqliteDb& db, CTransaction& tx, std::vector<RowRemoval>& rows, DatabaseKind kind,
                  DatabaseResult& result) {
    ListChosen(db, tx, rows, kind);
    bool understood[kListedCount] = {};
    for (size_t i = 0; i < kListedCount && !tx.Failed(); ++i) {
        if (kListedTables[i].kind == kind) understood[i] = FindChosen(db, tx, kListedTables[i], rows);
    }
    if (tx.Failed()) return;
    const bool bAddressesGo = kind == DatabaseKind::History && RemoveAddressReferrers(db, tx);
    if (kind == DatabaseKind::Logins) RemoveLoginReferrers(db, tx);
    for (size_t i = 0; i < kListedCount; ++i) {
        const ListedTable& table = kListedTables[i];
        if (!understood[i]) continue;
        tx.Exec("DELETE FROM main." + QuotedName(table.table) + " WHERE " + IdSql(table) + " IN " +
                GoingIds(table.table));
    }
    for (size_t i = 0; i < kListedCount; ++i) {
        if (understood[i]) ReadGone(db, tx, kListedTables[i], rows);
    }
    if (bAddressesGo) {
        CSqliteStatement left(db, "SELECT EXISTS (SELECT 1 FROM main.urls)");
        result.bNoAddressLeft = tx.Scalar(left) == 0;
    }
}

bool IsLockError(int error) {
    const int primary = error & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
}

// After the commit: a log the browser wrote to holds the removed rows'
// texts in its older frames until the database takes its pages and the log
// is cut. TRUNCATE waits (the busy timeout) for readers to let go, and
// says busy when one does not.
WalFate EmptyWal(CSqliteDb& db) {
    {
        CSqliteStatement mode(db, "PRAGMA main.journal_mode");
        if (mode.Step() != SQLITE_ROW || LowerAscii(mode.Text(0)) != "wal") return WalFate::NoWal;
    }
    CSqliteStatement checkpoint(db, "PRAGMA main.wal_checkpoint(TRUNCATE)");
    const int step = checkpoint.Step();
    if (step != SQLITE_ROW) return IsLockError(step) ? WalFate::Busy : WalFate::Failed;
    return checkpoint.Int(0) == 0 ? WalFate::Emptied : WalFate::Busy;
}

}  // namespace

DatabaseResult RemoveDatabaseRows(const std::string& utf8Path, DatabaseKind kind, std::vector<RowRemoval>& rows) {
    DatabaseResult result;
    for (RowRemoval& row : rows) row.bGone = false;
    CSqliteDb db;
    const int opened = db.OpenFile(utf8Path, kDatabaseBusyMs);
    if (opened != SQLITE_OK) {
        result.fate = (opened & 0xFF) == SQLITE_CANTOPEN ? DatabaseFate::Missing
                      : IsLockError(opened)              ? DatabaseFate::Locked
                                                         : DatabaseFate::Unreadable;
        return result;
    }
    // A removed row's cells and pages are overwritten, not only let go.
    db.Exec("PRAGMA main.secure_delete=ON");
    CTransaction tx(db);
    if (!tx.Exec("BEGIN IMMEDIATE")) {
        result.fate = IsLockError(tx.Error()) ? DatabaseFate::Locked : DatabaseFate::Unreadable;
        return result;
    }
    // Not a database (or a corrupt first page) shows here, before any change.
    CSqliteStatement schema(db, "SELECT count(*) FROM main.sqlite_schema");
    tx.Scalar(schema);
    RemoveChosen(db, tx, rows, kind, result);
    if (!tx.Failed()) tx.Exec("COMMIT");
    if (tx.Failed()) {
        db.Exec("ROLLBACK");
        for (RowRemoval& row : rows) row.bGone = false;
        result.bNoAddressLeft = false;
        result.fate = IsLockError(tx.Error()) ? DatabaseFate::Locked : DatabaseFate::Unreadable;
        return result;
    }
    result.fate = DatabaseFate::Cleaned;
    result.wal = EmptyWal(db);
    return result;
}

bool DatabaseLocked(const std::string& utf8Path) {
    CSqliteDb db;
    const int opened = db.OpenFile(utf8Path, 0, true);
    if (opened != SQLITE_OK) return IsLockError(opened);
    if (db.Exec("BEGIN") != SQLITE_OK) return false;
    const int read = db.Exec("SELECT count(*) FROM main.sqlite_schema");
    db.Exec("ROLLBACK");
    return IsLockError(read);
}

}  // namespace engine
