#include "engine/browsers/BrowserRows.h"

#include <sqlite3.h>

#include <cstring>

#include "engine/core/Categories.h"
#include "engine/core/ValueText.h"
#include "seam/Text.h"

namespace engine {
namespace {

// Labels (UTF-8 here; the rows carry their code page 949 form).
constexpr const char* kLabelSearchTerm = "주소창 검색어";

std::string ColumnOrNull(const std::vector<ColumnInfo>& columns, const char* name) {
    return name && HasColumn(columns, name) ? QuotedName(name) : std::string("NULL");
}

void ReadTable(CSqliteDb& db, const ListedTable& query, const std::atomic<bool>& keepGoing,
               const std::function<void(const BrowserRecord&)>& each) {
    const std::vector<ColumnInfo> columns = TableColumns(db, query.table);
    if (!HasColumn(columns, query.key)) return;
    if (query.idColumn && !HasColumn(columns, query.idColumn)) return;
    const std::string sql = "SELECT " + IdSql(query) + ", " +
                            QuotedName(query.key) + ", " + ColumnOrNull(columns, query.parent) + ", " +
                            ColumnOrNull(columns, query.value) + ", " + ColumnOrNull(columns, query.display) +
                            " FROM main." + QuotedName(query.table);
    CSqliteStatement rows(db, sql);
    BrowserRecord record;
    record.table = query.table;
    while (keepGoing.load() && rows.Step() == SQLITE_ROW) {
        record.id = rows.Int(0);
        record.key.assign(rows.View(1));
        record.parentId = rows.Int(2);
        record.value.assign(rows.View(3));
        record.data.assign(CutUtf8(query.display ? rows.View(4) : std::string_view(record.value), kUtf8ShownBytes));
        each(record);
    }
}

}  // namespace

std::string IdSql(const ListedTable& table) {
    return table.idColumn ? QuotedName(table.idColumn) : std::string("rowid");
}

void ForEachRecord(CSqliteDb& db, DatabaseKind kind, const std::atomic<bool>& keepGoing,
                   const std::function<void(const BrowserRecord&)>& each) {
    if (!db.Get()) return;
    for (const ListedTable& query : kListedTables) {
        if (query.kind == kind) ReadTable(db, query, keepGoing, each);
    }
}

std::vector<BrowserRecord> ReadRecords(CSqliteDb& db, DatabaseKind kind, const std::atomic<bool>& keepGoing) {
    std::vector<BrowserRecord> records;
    ForEachRecord(db, kind, keepGoing, [&](const BrowserRecord& record) { records.push_back(record); });
    return records;
}

std::string PathText(const std::u16string& path) { return TextForCell(seam::Cp949FromUtf16(path)); }

std::string ProfileText(const BrowserEntry& browser, const std::u16string& profile) {
    return TextForCell(seam::FixedCp949(browser.label) + " (" + seam::Cp949FromUtf16(profile) + ")");
}

void SetBrowserRowSource(seam::TraceItem& row, seam::Category category, const std::string& read,
                         const std::u16string& path, const std::string& pathText) {
    row.text[seam::kColRead] = read;
    row.text[seam::kColCode] = CodeOf(category);
    row.text[seam::kColRegKey] = pathText;
    row.target.kind = seam::TargetKind::DatabaseRow;
    row.target.path = path;
}

void SetBrowserRowRecord(seam::TraceItem& row, const BrowserRecord& record) {
    const bool bTerm = std::strcmp(record.table, kTableSearchTerms) == 0;
    // NAME and DATA stay UTF-8 as the database holds them; NAME is the
    // target's key, so the list keeps that text once.
    row.text[seam::kColName].assign(record.key);
    // The table and row id tell apart rows whose other texts are the same.
    std::string& value = row.text[seam::kColValue];
    value.assign(record.table);
    value += ' ';
    value += std::to_string(record.id);
    if (bTerm) {
        row.text[seam::kColData] = seam::FixedCp949(kLabelSearchTerm);
    } else {
        row.text[seam::kColData].assign(record.data);
    }
    row.utf8Columns = static_cast<uint8_t>((1u << seam::kColName) | (bTerm ? 0u : 1u << seam::kColData));
    row.target.name.assign(record.table);
    row.target.id = record.id;
    row.target.rowKey.assign(record.key);
    row.target.rowValue.assign(record.value);
    row.target.parentId = bTerm ? record.parentId : 0;
}

seam::TraceItem MakeBrowserRow(const BrowserRecord& record, seam::Category category, const std::string& read,
                               const std::u16string& path, const std::string& pathText) {
    seam::TraceItem row;
    SetBrowserRowSource(row, category, read, path, pathText);
    SetBrowserRowRecord(row, record);
    return row;
}

}  // namespace engine
