#include "formats/SqliteHandles.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

namespace engine {
namespace {

// A database in write-ahead mode says so in bytes 18 and 19 of its header;
// SQLite reads such a file from sqlite3_deserialize's memory only as a
// plain one. The copy is ours, so it is told so there. A copy read with its
// -wal (OpenCopy's second form) goes through the memory files below instead
// and is never changed.
void AsRollbackJournal(std::vector<uint8_t>& bytes) {
    if (bytes.size() >= 100 && bytes[18] == 2 && bytes[19] == 2) {
        bytes[18] = 1;
        bytes[19] = 1;
    }
}

// The memory files: a VFS of its own (never the default) that serves
// SQLite a database and its -wal from bytes in memory, read-only, under a
// name made for one connection. SQLite reads the -wal itself: it checks
// every frame's salts and checksums and takes only committed transactions,
// so a cut or damaged -wal gives what SQLite trusts of it.
//
// The -wal needs a wal-index. Instead of shared memory (xShm*, and a -shm
// file on disk), the connection runs in exclusive locking mode, where
// SQLite keeps the index in its own heap ("WAL without shared memory");
// the locks are the connection's alone, so they always succeed. Nothing is
// ever written: every write, truncation and deletion is refused, the file
// is reported as opened read-only, and so the -wal is never checkpointed
// into the database (which a read-only -wal refuses anyway). The files do
// not claim SQLITE_IOCAP_IMMUTABLE: SQLite reads an immutable database as
// a temporary file, without its -wal.
constexpr const char* kMemoryVfsName = "kestravin-memory";
constexpr const char* kWalTail = "-wal";

struct MemoryImage {
    const uint8_t* db = nullptr;
    size_t dbSize = 0;
    const uint8_t* wal = nullptr;
    size_t walSize = 0;
};

// The images of the open connections, by the name each was opened under.
std::mutex g_imagesLock;
std::map<std::string, MemoryImage>& Images() {
    static std::map<std::string, MemoryImage> images;
    return images;
}

bool FindImage(const std::string& name, MemoryImage& image) {
    std::lock_guard<std::mutex> lock(g_imagesLock);
    const auto it = Images().find(name);
    if (it == Images().end()) return false;
    image = it->second;
    return true;
}

// `name` without `tail`, or false when it does not end so.
bool WithoutTail(const char* name, const char* tail, std::string& base) {
    const std::string text = name ? name : "";
    const size_t length = std::strlen(tail);
    if (text.size() <= length || text.compare(text.size() - length, length, tail) != 0) return false;
    base = text.substr(0, text.size() - length);
    return true;
}

struct MemoryFile {
    sqlite3_file base;  // first, as SQLite expects
    const uint8_t* data;
    size_t size;
};

int MemoryClose(sqlite3_file*) { return SQLITE_OK; }

int MemoryRead(sqlite3_file* file, void* out, int amount, sqlite3_int64 offset) {
    const auto* memory = reinterpret_cast<MemoryFile*>(file);
    auto* target = static_cast<uint8_t*>(out);
    const size_t wanted = static_cast<size_t>(amount);
    size_t got = 0;
    if (offset >= 0 && static_cast<uint64_t>(offset) < memory->size) {
        got = std::min(wanted, memory->size - static_cast<size_t>(offset));
        std::memcpy(target, memory->data + offset, got);
    }
    if (got == wanted) return SQLITE_OK;
    // SQLite's rule for a read past the end: the rest zeroed, and said so.
    std::memset(target + got, 0, wanted - got);
    return SQLITE_IOERR_SHORT_READ;
}

int MemoryWrite(sqlite3_file*, const void*, int, sqlite3_int64) { return SQLITE_READONLY; }
int MemoryTruncate(sqlite3_file*, sqlite3_int64) { return SQLITE_READONLY; }
int MemorySync(sqlite3_file*, int) { return SQLITE_OK; }

int MemoryFileSize(sqlite3_file* file, sqlite3_int64* size) {
    *size = static_cast<sqlite3_int64>(reinterpret_cast<MemoryFile*>(file)->size);
    return SQLITE_OK;
}

int MemoryLock(sqlite3_file*, int) { return SQLITE_OK; }
int MemoryUnlock(sqlite3_file*, int) { return SQLITE_OK; }
int MemoryCheckReservedLock(sqlite3_file*, int* reserved) {
    *reserved = 0;
    return SQLITE_OK;
}
int MemoryFileControl(sqlite3_file*, int, void*) { return SQLITE_NOTFOUND; }
int MemorySectorSize(sqlite3_file*) { return 512; }
int MemoryDeviceCharacteristics(sqlite3_file*) { return 0; }

const sqlite3_io_methods kMemoryMethods = {
    1,  // no xShm*: the wal-index lives in SQLite's heap (exclusive locking mode)
    MemoryClose,
    MemoryRead,
    MemoryWrite,
    MemoryTruncate,
    MemorySync,
    MemoryFileSize,
    MemoryLock,
    MemoryUnlock,
    MemoryCheckReservedLock,
    MemoryFileControl,
    MemorySectorSize,
    MemoryDeviceCharacteristics,
    nullptr,  // xShmMap
    nullptr,  // xShmLock
    nullptr,  // xShmBarrier
    nullptr,  // xShmUnmap
    nullptr,  // xFetch
    nullptr,  // xUnfetch
};

// Only the main database and its -wal are served; SQLite asks for no other
// file of a read-only connection whose temporary tables stay in memory.
int MemoryOpen(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    file->pMethods = nullptr;
    MemoryImage image;
    std::string base;
    const uint8_t* data = nullptr;
    size_t size = 0;
    if ((flags & SQLITE_OPEN_MAIN_DB) && name && FindImage(name, image)) {
        data = image.db;
        size = image.dbSize;
    } else if ((flags & SQLITE_OPEN_WAL) && WithoutTail(name, kWalTail, base) && FindImage(base, image)) {
        data = image.wal;
        size = image.walSize;
    } else {
        return SQLITE_CANTOPEN;
    }
    auto* memory = reinterpret_cast<MemoryFile*>(file);
    memory->data = data;
    memory->size = size;
    memory->base.pMethods = &kMemoryMethods;
    if (outFlags) *outFlags = (flags & ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) | SQLITE_OPEN_READONLY;
    return SQLITE_OK;
}

int MemoryDelete(sqlite3_vfs*, const char*, int) { return SQLITE_IOERR_DELETE; }

int MemoryAccess(sqlite3_vfs*, const char* name, int flags, int* result) {
    *result = 0;
    if (flags == SQLITE_ACCESS_READWRITE) return SQLITE_OK;
    MemoryImage image;
    std::string base;
    if (name && FindImage(name, image)) *result = 1;
    else if (WithoutTail(name, kWalTail, base) && FindImage(base, image)) *result = image.walSize > 0;
    return SQLITE_OK;
}

int MemoryFullPathname(sqlite3_vfs*, const char* name, int size, char* out) {
    const size_t length = std::strlen(name);
    if (size <= 0 || length >= static_cast<size_t>(size)) return SQLITE_CANTOPEN;
    std::memcpy(out, name, length + 1);
    return SQLITE_OK;
}

// What has nothing to do with the files goes to the machine's own VFS.
sqlite3_vfs* Machine(sqlite3_vfs* vfs) { return static_cast<sqlite3_vfs*>(vfs->pAppData); }
int MemoryRandomness(sqlite3_vfs* vfs, int size, char* out) { return Machine(vfs)->xRandomness(Machine(vfs), size, out); }
int MemorySleep(sqlite3_vfs* vfs, int micros) { return Machine(vfs)->xSleep(Machine(vfs), micros); }
int MemoryCurrentTime(sqlite3_vfs* vfs, double* now) { return Machine(vfs)->xCurrentTime(Machine(vfs), now); }
int MemoryGetLastError(sqlite3_vfs*, int, char*) { return 0; }

// Registered once, on first use, from whichever thread comes first.
bool MemoryVfsReady() {
    static const bool ready = [] {
        sqlite3_vfs* machine = sqlite3_vfs_find(nullptr);
        if (!machine) return false;
        static sqlite3_vfs vfs = {};
        vfs.iVersion = 1;
        vfs.szOsFile = static_cast<int>(sizeof(MemoryFile));
        vfs.mxPathname = 256;
        vfs.zName = kMemoryVfsName;
        vfs.pAppData = machine;
        vfs.xOpen = MemoryOpen;
        vfs.xDelete = MemoryDelete;
        vfs.xAccess = MemoryAccess;
        vfs.xFullPathname = MemoryFullPathname;
        vfs.xRandomness = MemoryRandomness;
        vfs.xSleep = MemorySleep;
        vfs.xCurrentTime = MemoryCurrentTime;
        vfs.xGetLastError = MemoryGetLastError;
        return sqlite3_vfs_register(&vfs, 0) == SQLITE_OK;
    }();
    return ready;
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

bool CSqliteDb::OpenCopy(std::vector<uint8_t>& bytes, const std::vector<uint8_t>& wal) {
    if (wal.empty()) return OpenCopy(bytes);
    Close();
    if (bytes.empty()) return false;
    if (OpenImage(bytes, wal)) return true;
    // SQLite refuses the pair as a whole (a -wal of a version it does not
    // know): the database alone, as the browser last checkpointed it.
    return OpenCopy(bytes);
}

bool CSqliteDb::OpenImage(const std::vector<uint8_t>& bytes, const std::vector<uint8_t>& wal) {
    if (!MemoryVfsReady()) return false;
    static std::atomic<uint64_t> s_nextImage{0};
    m_strImage = "/kestravin/" + std::to_string(++s_nextImage);
    {
        std::lock_guard<std::mutex> lock(g_imagesLock);
        Images()[m_strImage] = {bytes.data(), bytes.size(), wal.data(), wal.size()};
    }
    if (sqlite3_open_v2(m_strImage.c_str(), &m_pDb, SQLITE_OPEN_READONLY | kOneThread, kMemoryVfsName) != SQLITE_OK) {
        Close();
        return false;
    }
    Harden();
    sqlite3_db_config(m_pDb, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
    // Before the first read, so that the -wal's index is kept in the heap.
    // The first read then runs SQLite's own recovery of the -wal.
    if (Exec("PRAGMA main.locking_mode=EXCLUSIVE") != SQLITE_OK ||
        Exec("SELECT count(*) FROM main.sqlite_schema") != SQLITE_OK) {
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
    if (!m_strImage.empty()) {
        std::lock_guard<std::mutex> lock(g_imagesLock);
        Images().erase(m_strImage);
        m_strImage.clear();
    }
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
