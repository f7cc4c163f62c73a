#include "formats/SqliteHandles.h"

#include <sqlite3.h>

#include <algorithm>

namespace engine {
namespace {

// A database in write-ahead mode says so in bytes 18 and 19 of its header;
// SQLite reads such a file from memory only as a plain one. The copy is
// ours, so it is told so there; what the browser has not yet moved from its
// -wal file into the database is not in the copy either way.
void AsRollbackJournal(std::vector<uint8_t>& bytes) {
    if (bytes.size() >= 100 && bytes[18] == 2 && bytes[19] == 2) {
        bytes[18] = 1;
        bytes[19] = 1;
    }
}

// A connection lives and dies on the thread that opened it, so it needs no
// lock of its own: SQLite otherwise takes one on every step and every column.
constexpr int kOneThread = SQLITE_OPEN_NOMUTEX;

}  // namespace

void CSqliteDb::Harden() {
    sqlite3_db_config(m_pDb, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(m_pDb, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    sqlite3_db_config(m_pDb, SQLITE_DBCONFIG_ENABLE_VIEW, 0, nullptr);
    sqlite3_db_config(m_pDb, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    // The sets of rows a removal collects stay in memory, never in a temporary file.
    sqlite3_exec(m_pDb, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
}

bool CSqliteDb::OpenCopy(std::vector<uint8_t>& bytes) {
    Close();
    if (bytes.empty()) return false;
    if (sqlite3_open_v2(":memory:", &m_pDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_MEMORY | kOneThread, nullptr) !=
        SQLITE_OK) {
        Close();
        return false;
    }
    Harden();
    AsRollbackJournal(bytes);
    const auto size = static_cast<sqlite3_int64>(bytes.size());
    if (sqlite3_deserialize(m_pDb, "main", bytes.data(), size, size, SQLITE_DESERIALIZE_READONLY) != SQLITE_OK) {
        Close();
        return false;
    }
    return true;
}

int CSqliteDb::OpenFile(const std::string& utf8Path, int busyMs, bool bReadOnly) {
    Close();
    const int flags = (bReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | kOneThread;
    const int result = sqlite3_open_v2(utf8Path.c_str(), &m_pDb, flags, nullptr);
    if (result != SQLITE_OK) {
        Close();
        return result;
    }
    sqlite3_busy_timeout(m_pDb, busyMs);
    Harden();
    return SQLITE_OK;
}

void CSqliteDb::Close() {
    if (m_pDb) sqlite3_close_v2(m_pDb);
    m_pDb = nullptr;
}

int CSqliteDb::Exec(const char* sql) {
    if (!m_pDb) return SQLITE_MISUSE;
    return sqlite3_exec(m_pDb, sql, nullptr, nullptr, nullptr);
}

int64_t CSqliteDb::Changes() const { return m_pDb ? sqlite3_changes64(m_pDb) : 0; }

CSqliteStatement::CSqliteStatement(CSqliteDb& db, const std::string& sql) {
    if (!db.Get()) return;
    if (sqlite3_prepare_v2(db.Get(), sql.c_str(), static_cast<int>(sql.size()), &m_pStmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_pStmt);
        m_pStmt = nullptr;
    }
}

CSqliteStatement::~CSqliteStatement() { sqlite3_finalize(m_pStmt); }

int CSqliteStatement::Step() { return m_pStmt ? sqlite3_step(m_pStmt) : SQLITE_MISUSE; }

void CSqliteStatement::Reset() {
    if (!m_pStmt) return;
    sqlite3_reset(m_pStmt);
    sqlite3_clear_bindings(m_pStmt);
}

void CSqliteStatement::BindInt(int index, int64_t value) {
    if (m_pStmt) sqlite3_bind_int64(m_pStmt, index, value);
}

void CSqliteStatement::BindText(int index, std::string_view text) {
    if (m_pStmt) sqlite3_bind_text64(m_pStmt, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

int64_t CSqliteStatement::Int(int column) const { return m_pStmt ? sqlite3_column_int64(m_pStmt, column) : 0; }

std::string_view CSqliteStatement::View(int column) const {
    if (!m_pStmt) return {};
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_pStmt, column));
    const int size = sqlite3_column_bytes(m_pStmt, column);
    if (!text || size <= 0) return {};
    return std::string_view(text, static_cast<size_t>(size));
}

std::string CSqliteStatement::Text(int column) const { return std::string(View(column)); }

size_t CSqliteStatement::TextSize(int column) const {
    if (!m_pStmt) return 0;
    sqlite3_column_text(m_pStmt, column);
    const int size = sqlite3_column_bytes(m_pStmt, column);
    return size > 0 ? static_cast<size_t>(size) : 0;
}

bool CSqliteStatement::IsNull(int column) const {
    return !m_pStmt || sqlite3_column_type(m_pStmt, column) == SQLITE_NULL;
}

std::string QuotedName(std::string_view name) {
    std::string quoted = "\"";
    for (char c : name) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    quoted += '"';
    return quoted;
}

std::vector<ColumnInfo> TableColumns(CSqliteDb& db, const std::string& table) {
    std::vector<ColumnInfo> columns;
    CSqliteStatement query(db, "SELECT name, type FROM pragma_table_info(?1, 'main')");
    query.BindText(1, table);
    while (query.Step() == SQLITE_ROW) columns.push_back({LowerAscii(query.Text(0)), LowerAscii(query.Text(1))});
    return columns;
}

bool HasColumn(const std::vector<ColumnInfo>& columns, std::string_view name) {
    return std::any_of(columns.begin(), columns.end(), [&](const ColumnInfo& c) { return c.name == name; });
}

std::vector<std::string> TableNames(CSqliteDb& db) {
    std::vector<std::string> names;
    CSqliteStatement query(db, "SELECT name FROM main.sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite!_%' ESCAPE '!'");
    while (query.Step() == SQLITE_ROW) names.push_back(query.Text(0));
    return names;
}

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

}  // namespace engine
