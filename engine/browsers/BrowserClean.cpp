#include "engine/browsers/BrowserClean.h"

#include <sqlite3.h>

#include <set>

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

bool IsTable(const RowRemoval& row, const char* table) { return row.target.name == table; }

// Matches each row of `table` against what was listed: a match joins the
// temporary set `temp` (to be removed), a row whose id is gone is gone, and
// one whose id now holds something else stays.
void MatchRows(CSqliteDb& db, CTransaction& tx, std::vector<RowRemoval>& rows, const char* table,
               const std::string& matchSql, const std::string& existsSql, bool bWithValue, std::set<int64_t>& matched) {
    CSqliteStatement match(db, matchSql);
    CSqliteStatement exists(db, existsSql);
    for (RowRemoval& row : rows) {
        if (!IsTable(row, table) || tx.Failed()) continue;
        match.Reset();
        match.BindInt(1, row.target.id);
        match.BindText(2, row.target.rowKey);
        if (bWithValue) match.BindText(3, row.target.rowValue);
        if (!tx.Run(match)) return;
        if (db.Changes() > 0) {
            matched.insert(row.target.id);
            row.bGone = true;
            continue;
        }
        exists.Reset();
        exists.BindInt(1, row.target.id);
        row.bGone = tx.Scalar(exists) < 0;
    }
}

void RemoveHistory(CSqliteDb& db, CTransaction& tx, std::vector<RowRemoval>& rows, DatabaseResult& result) {
    const std::vector<ColumnInfo> urlColumns = TableColumns(db, kTableUrls);
    if (!HasColumn(urlColumns, "id") || !HasColumn(urlColumns, "url")) return tx.Fail(SQLITE_ERROR);
    tx.Exec("CREATE TEMP TABLE kv_urls(id INTEGER PRIMARY KEY)");
    std::set<int64_t> urls;
    MatchRows(db, tx, rows, kTableUrls,
              "INSERT OR IGNORE INTO temp.kv_urls SELECT id FROM main.urls WHERE id = ?1 AND IFNULL(url, '') = ?2",
              "SELECT 1 FROM main.urls WHERE id = ?1", false, urls);

    // Search terms chosen on their own.
    if (HasColumn(TableColumns(db, kTableSearchTerms), "term")) {
        const bool bUrlId = HasColumn(TableColumns(db, kTableSearchTerms), "url_id");
        CSqliteStatement erase(db, "DELETE FROM main.keyword_search_terms WHERE rowid = ?1 AND IFNULL(term, '') = ?2");
        CSqliteStatement owner(db, bUrlId ? "SELECT url_id FROM main.keyword_search_terms WHERE rowid = ?1"
                                          : "SELECT NULL FROM main.keyword_search_terms WHERE rowid = ?1");
        CSqliteStatement exists(db, "SELECT 1 FROM main.keyword_search_terms WHERE rowid = ?1");
        for (RowRemoval& row : rows) {
            if (!IsTable(row, kTableSearchTerms) || tx.Failed()) continue;
            erase.Reset();
            erase.BindInt(1, row.target.id);
            erase.BindText(2, row.target.rowKey);
            if (!tx.Run(erase)) break;
            if (db.Changes() > 0) {
                row.bGone = true;
                continue;
            }
            exists.Reset();
            exists.BindInt(1, row.target.id);
            if (tx.Scalar(exists) < 0) {
                row.bGone = true;
                continue;
            }
            // Another term holds the id now; it goes only with an address removed here.
            owner.Reset();
            owner.BindInt(1, row.target.id);
            row.bGone = urls.count(tx.Scalar(owner)) > 0;
        }
    }
    if (urls.empty() || tx.Failed()) return;

    const std::string urlSet = "(SELECT id FROM temp.kv_urls)";
    const std::vector<ColumnInfo> visitColumns = TableColumns(db, "visits");
    const bool bVisits = HasColumn(visitColumns, "id") && HasColumn(visitColumns, "url");
    if (bVisits) {
        tx.Exec("CREATE TEMP TABLE kv_visits(id INTEGER PRIMARY KEY)");
        tx.Exec("INSERT INTO temp.kv_visits SELECT id FROM main.visits WHERE url IN " + urlSet);
    }
    const std::vector<ColumnInfo> segmentColumns = TableColumns(db, "segments");
    const bool bSegments = HasColumn(segmentColumns, "id") && HasColumn(segmentColumns, "url_id");
    if (bSegments) {
        tx.Exec("CREATE TEMP TABLE kv_segments(id INTEGER PRIMARY KEY)");
        tx.Exec("INSERT INTO temp.kv_segments SELECT id FROM main.segments WHERE url_id IN " + urlSet);
    }
    for (const std::string& table : TableNames(db)) {
        const std::string lower = LowerAscii(table);
        if (lower == kTableUrls || lower == "visits") continue;
        std::string where;
        for (const ColumnInfo& column : TableColumns(db, table)) {
            std::string set;
            if (PointsAtUrl(column)) set = urlSet;
            else if (bVisits && PointsAtVisit(lower, column)) set = "(SELECT id FROM temp.kv_visits)";
            else if (bSegments && column.name == "segment_id") set = "(SELECT id FROM temp.kv_segments)";
            if (set.empty()) continue;
            where += (where.empty() ? "" : " OR ") + QuotedName(column.name) + " IN " + set;
        }
        if (!where.empty()) tx.Exec("DELETE FROM main." + QuotedName(table) + " WHERE " + where);
    }
    if (bVisits) tx.Exec("DELETE FROM main.visits WHERE id IN (SELECT id FROM temp.kv_visits)");
    tx.Exec("DELETE FROM main.urls WHERE id IN " + urlSet);
    CSqliteStatement left(db, "SELECT count(*) FROM main.urls");
    result.bNoAddressLeft = tx.Scalar(left) == 0;
}

void RemoveLogins(CSqliteDb& db, CTransaction& tx, std::vector<RowRemoval>& rows) {
    const std::vector<ColumnInfo> columns = TableColumns(db, kTableLogins);
    if (!HasColumn(columns, "origin_url")) return tx.Fail(SQLITE_ERROR);
    const bool bUser = HasColumn(columns, "username_value");
    tx.Exec("CREATE TEMP TABLE kv_logins(id INTEGER PRIMARY KEY)");
    std::set<int64_t> logins;
    MatchRows(db, tx, rows, kTableLogins,
              std::string("INSERT OR IGNORE INTO temp.kv_logins SELECT rowid FROM main.logins"
                          " WHERE rowid = ?1 AND IFNULL(origin_url, '') = ?2") +
                  (bUser ? " AND IFNULL(username_value, '') = ?3" : ""),
              "SELECT 1 FROM main.logins WHERE rowid = ?1", bUser, logins);
    if (logins.empty() || tx.Failed()) return;
    for (const std::string& table : TableNames(db)) {
        if (LowerAscii(table) == kTableLogins || !HasColumn(TableColumns(db, table), "parent_id")) continue;
        tx.Exec("DELETE FROM main." + QuotedName(table) + " WHERE parent_id IN (SELECT id FROM temp.kv_logins)");
    }
    tx.Exec("DELETE FROM main.logins WHERE rowid IN (SELECT id FROM temp.kv_logins)");
}

void RemoveForms(CSqliteDb& db, CTransaction& tx, std::vector<RowRemoval>& rows) {
    const std::vector<ColumnInfo> columns = TableColumns(db, kTableForms);
    if (!HasColumn(columns, "name")) return tx.Fail(SQLITE_ERROR);
    const bool bValue = HasColumn(columns, "value");
    CSqliteStatement erase(db, bValue ? "DELETE FROM main.autofill WHERE name = ?2 AND IFNULL(value, '') = ?3"
                                      : "DELETE FROM main.autofill WHERE name = ?2 AND rowid = ?1");
    CSqliteStatement exists(db, "SELECT 1 FROM main.autofill WHERE rowid = ?1");
    for (RowRemoval& row : rows) {
        if (!IsTable(row, kTableForms) || tx.Failed()) continue;
        erase.Reset();
        erase.BindInt(1, row.target.id);
        erase.BindText(2, row.target.rowKey);
        if (bValue) erase.BindText(3, row.target.rowValue);
        if (!tx.Run(erase)) return;
        if (db.Changes() > 0) {
            row.bGone = true;
            continue;
        }
        exists.Reset();
        exists.BindInt(1, row.target.id);
        row.bGone = tx.Scalar(exists) < 0;
    }
}

bool IsLockError(int error) {
    const int primary = error & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
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
    CTransaction tx(db);
    if (!tx.Exec("BEGIN IMMEDIATE")) {
        result.fate = IsLockError(tx.Error()) ? DatabaseFate::Locked : DatabaseFate::Unreadable;
        return result;
    }
    // Not a database (or a corrupt first page) shows here, before any change.
    CSqliteStatement schema(db, "SELECT count(*) FROM main.sqlite_schema");
    tx.Scalar(schema);
    switch (kind) {
        case DatabaseKind::History: RemoveHistory(db, tx, rows, result); break;
        case DatabaseKind::Logins: RemoveLogins(db, tx, rows); break;
        case DatabaseKind::Forms: RemoveForms(db, tx, rows); break;
    }
    if (!tx.Failed()) tx.Exec("COMMIT");
    if (tx.Failed()) {
        db.Exec("ROLLBACK");
        for (RowRemoval& row : rows) row.bGone = false;
        result.bNoAddressLeft = false;
        result.fate = IsLockError(tx.Error()) ? DatabaseFate::Locked : DatabaseFate::Unreadable;
        return result;
    }
    result.fate = DatabaseFate::Cleaned;
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
