// Owners of SQLite's handles, so that every connection and statement is let
// go where it was made, on every path out.
//
// A browser's database is read from a copy of its bytes held in memory,
// with a copy of its -wal where it has one (OpenCopy: nothing is written,
// and a database the browser holds locked is read all the same) and changed
// only through the real file (OpenFile).
// Both connections refuse what a hostile file could ask of them: triggers
// and views do not run, the schema is not trusted, and the defensive mode
// keeps the file's own structure out of reach of SQL.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace engine {

class CSqliteStatement;

class CSqliteDb {
public:
    CSqliteDb() = default;
    ~CSqliteDb() { Close(); }
    CSqliteDb(const CSqliteDb&) = delete;
    CSqliteDb& operator=(const CSqliteDb&) = delete;

    // A read-only database over `bytes`, which must outlive the connection.
    // False when SQLite does not take them (the first query tells whether
    // they are a database at all).
    bool OpenCopy(std::vector<uint8_t>& bytes);
    // The same database with its write-ahead log `wal` (the bytes of its
    // -wal file; both must outlive the connection): SQLite reads the
    // database as the log has it, taking only the log's committed
    // transactions whose frames check out. Neither buffer is changed and
    // nothing is written anywhere. An empty `wal` is the form above; a pair
    // SQLite refuses as a whole (a -wal of a version it does not know, or a
    // database it cannot open so) falls back to the database alone.
    bool OpenCopy(std::vector<uint8_t>& bytes, const std::vector<uint8_t>& wal);
    // The existing file at `utf8Path`, for reading and writing (or reading
    // only); never made. Waits at most `busyMs` for a lock another program
    // holds. Gives SQLite's result code (0 is SQLITE_OK).
    int OpenFile(const std::string& utf8Path, int busyMs, bool bReadOnly = false);
    void Close();

    sqlite3* Get() const { return m_pDb; }
    // Runs statements without results; SQLite's result code.
    int Exec(const char* sql);
    // The number of rows the last statement changed.
    int64_t Changes() const;

private:
    void Harden();
    bool OpenImage(const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& wal);

    sqlite3* m_pDb = nullptr;
    std::string m_strImage;  // the memory files' name while OpenImage's connection is open
};

class CSqliteStatement {
public:
    CSqliteStatement(CSqliteDb& db, const std::string& sql);
    ~CSqliteStatement();
    CSqliteStatement(const CSqliteStatement&) = delete;
    CSqliteStatement& operator=(const CSqliteStatement&) = delete;

    bool Ok() const { return m_pStmt != nullptr; }
    // SQLITE_ROW, SQLITE_DONE or an error code; an unprepared statement gives an error.
    int Step();
    void Reset();
    void BindInt(int index, int64_t value);
    void BindText(int index, std::string_view text);

    int64_t Int(int column) const;
    // The column's bytes as SQLite gives its text (NULL is empty).
    std::string Text(int column) const;
    // The same bytes without a copy, valid until the next Step or Reset.
    std::string_view View(int column) const;
    // The column's whole length in bytes as text.
    size_t TextSize(int column) const;
    bool IsNull(int column) const;

private:
    sqlite3_stmt* m_pStmt = nullptr;
};

// `name` quoted as an SQL identifier ("a""b").
std::string QuotedName(std::string_view name);

// The columns of `table` in the main database, lower-cased (ASCII), each
// with its declared type lower-cased; empty when there is no such table.
struct ColumnInfo {
    std::string name;
    std::string type;
};
std::vector<ColumnInfo> TableColumns(CSqliteDb& db, const std::string& table);

// SQLite compares table and column names without regard to the case of
// ASCII letters; names are compared here after folding them so.
std::string LowerAscii(std::string text);
bool HasColumn(const std::vector<ColumnInfo>& columns, std::string_view name);

// The names of the main database's ordinary tables (SQLite's own aside).
std::vector<std::string> TableNames(CSqliteDb& db);

}  // namespace engine
