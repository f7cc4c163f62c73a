#include "engine/BrowserRows.h"

#include <sqlite3.h>

#include "engine/Categories.h"
#include "engine/ValueText.h"
#include "seam/Text.h"

namespace engine {
namespace {

// Labels (UTF-8 here; the rows carry their code page 949 form).
constexpr const char* kLabelSearchTerm = "주소창 검색어";

// How much of a text is looked at for display: a cell shows far less, and a
// 2 MB address costs no more than a short one.
constexpr size_t kDisplayBytes = 1024;

// One table's query: the id column (`id` where the table has one, else the
// rowid), a required text column and two optional ones.
struct TableQuery {
    DatabaseKind kind;
    const char* table;
    const char* idColumn;   // nullptr: the rowid
    const char* key;        // required
    const char* parent;     // optional integer, or nullptr
    const char* value;      // optional text kept whole, or nullptr
    const char* display;    // optional text for DATA only, or nullptr
};

constexpr TableQuery kQueries[] = {
    {DatabaseKind::History, kTableUrls, "id", "url", nullptr, nullptr, "title"},
    {DatabaseKind::History, kTableSearchTerms, nullptr, "term", "url_id", nullptr, nullptr},
    {DatabaseKind::Logins, kTableLogins, nullptr, "origin_url", nullptr, "username_value", nullptr},
    {DatabaseKind::Forms, kTableForms, nullptr, "name", nullptr, "value", nullptr},
};

std::string ColumnOrNull(const std::vector<ColumnInfo>& columns, const char* name) {
    return name && HasColumn(columns, name) ? QuotedName(name) : std::string("NULL");
}

void ReadTable(CSqliteDb& db, const TableQuery& query, const std::atomic<bool>& keepGoing,
               std::vector<BrowserRecord>& out) {
    const std::vector<ColumnInfo> columns = TableColumns(db, query.table);
    if (!HasColumn(columns, query.key)) return;
    const bool bOwnId = query.idColumn && HasColumn(columns, query.idColumn);
    if (query.idColumn && !bOwnId) return;
    const std::string sql = "SELECT " + (bOwnId ? QuotedName(query.idColumn) : std::string("rowid")) + ", " +
                            QuotedName(query.key) + ", " + ColumnOrNull(columns, query.parent) + ", " +
                            ColumnOrNull(columns, query.value) + ", " + ColumnOrNull(columns, query.display) +
                            " FROM main." + QuotedName(query.table);
    CSqliteStatement rows(db, sql);
    while (keepGoing.load() && rows.Step() == SQLITE_ROW) {
        BrowserRecord record;
        record.table = query.table;
        record.id = rows.Int(0);
        record.key = rows.Text(1);
        record.parentId = rows.Int(2);
        record.value = rows.Text(3);
        record.data = CutUtf8(query.display ? rows.Text(4, kDisplayBytes + 4) : record.value.substr(0, kDisplayBytes + 4),
                              kDisplayBytes);
        out.push_back(std::move(record));
    }
}

// ASCII is spelled alike in UTF-8 and code page 949: most addresses need no conversion.
std::string CellText(const std::string& utf8) {
    std::string cut = CutUtf8(utf8, kDisplayBytes);
    for (char c : cut) {
        if (static_cast<unsigned char>(c) >= 0x80) return TextForCell(seam::Cp949FromUtf8(cut));
    }
    return TextForCell(std::move(cut));
}

}  // namespace

std::string CutUtf8(const std::string& text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = maxBytes;
    // Back over continuation bytes to the start of the character that does not fit.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

std::vector<BrowserRecord> ReadRecords(CSqliteDb& db, DatabaseKind kind, const std::atomic<bool>& keepGoing) {
    std::vector<BrowserRecord> records;
    if (!db.Get()) return records;
    for (const TableQuery& query : kQueries) {
        if (query.kind == kind) ReadTable(db, query, keepGoing, records);
    }
    return records;
}

std::string PathText(const std::u16string& path) { return TextForCell(seam::Cp949FromUtf16(path)); }

std::string ProfileText(const BrowserEntry& browser, const std::u16string& profile) {
    return TextForCell(seam::FixedCp949(browser.label) + " (" + seam::Cp949FromUtf16(profile) + ")");
}

seam::TraceItem MakeBrowserRow(const BrowserRecord& record, seam::Category category, const std::string& read,
                               const std::u16string& path, const std::string& pathText) {
    seam::TraceItem row;
    const bool bTerm = std::string(record.table) == kTableSearchTerms;
    row.text[seam::kColName] = CellText(record.key);
    row.text[seam::kColRead] = read;
    row.text[seam::kColCode] = CodeOf(category);
    row.text[seam::kColRegKey] = pathText;
    // The table and row id tell apart rows whose other texts are the same.
    row.text[seam::kColValue] = std::string(record.table) + " " + std::to_string(record.id);
    row.text[seam::kColData] = bTerm ? seam::FixedCp949(kLabelSearchTerm) : CellText(record.data);
    row.target.kind = seam::TargetKind::DatabaseRow;
    row.target.path = path;
    row.target.name = record.table;
    row.target.id = record.id;
    row.target.rowKey = record.key;
    row.target.rowValue = record.value;
    row.target.parentId = bTerm ? record.parentId : 0;
    return row;
}

}  // namespace engine
