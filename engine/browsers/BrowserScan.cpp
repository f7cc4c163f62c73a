#include "engine/browsers/BrowserScan.h"

#include <algorithm>
#include <vector>

#include "engine/browsers/BrowserProfiles.h"
#include "engine/browsers/BrowserRows.h"
#include "formats/SqliteHandles.h"
#include "engine/core/TraceRows.h"

namespace engine {
namespace {

constexpr uint64_t kDatabaseGrowth = 1024 * 1024;

// A file of the profile read whole: as large as the listing said, with room
// for what the browser added since; never more than the limit.
long ReadWhole(seam::IFileSystem& files, const std::u16string& path, uint64_t size, std::vector<uint8_t>& bytes) {
    const uint64_t room = std::min<uint64_t>(size + kDatabaseGrowth, kDatabaseReadLimit);
    return files.ReadFile(path, static_cast<size_t>(room), bytes);
}

void ScanDatabase(seam::IFileSystem& files, EngineState& state, seam::IView& view, const BrowserProfile& profile,
                  const DatabaseEntry& database) {
    uint64_t size = 0;
    if (!DatabaseFile(files, profile.folder, database.file, size) || size == 0) return;
    const std::u16string path = profile.folder + u"\\" + database.file;
    if (size > kDatabaseReadLimit) {
        // Not read, so none of its rows can be listed: the user is told which.
        state.AddNote({NoteKind::TooLarge, path});
        return;
    }
    // The rows the browser has written to its -wal and not yet moved into
    // the database are the database's too: SQLite reads the two together.
    // Without the -wal the copy would be an older database than the one
    // the browser sees, so one over the limit leaves it unread as well.
    std::vector<uint8_t> wal;
    uint64_t walSize = 0;
    const std::u16string walPath = path + u"-wal";
    if (DatabaseFile(files, profile.folder, database.file + std::u16string(u"-wal"), walSize) && walSize != 0) {
        if (walSize > kDatabaseReadLimit) {
            state.AddNote({NoteKind::TooLarge, walPath});
            return;
        }
        // Gone or unreadable since the listing: the database alone.
        if (ReadWhole(files, walPath, walSize, wal) != seam::kErrSuccess) wal.clear();
    }
    std::vector<uint8_t> bytes;
    const long opened = ReadWhole(files, path, size, bytes);
    if (opened != seam::kErrSuccess) {
        NoteUnread(state, path, opened);
        return;
    }
    CSqliteDb db;
    // SQLite takes any bytes; whether they are a database shows at the first read.
    if (!db.OpenCopy(bytes, wal) || db.Exec("SELECT count(*) FROM main.sqlite_schema") != 0) {
        // Not a database SQLite takes: whatever it holds is not listed.
        state.AddNote({NoteKind::Unreadable, path});
        return;
    }
    const std::string read = ProfileText(*profile.browser, profile.name);
    const std::string pathText = PathText(path);
    // One row refilled for every record: the texts all rows share are set
    // once, and each record's own go into the room the last one had.
    seam::TraceItem row;
    SetBrowserRowSource(row, database.category, read, path, pathText);
    ForEachRecord(db, database.kind, state.m_bAnalysed, [&](const BrowserRecord& record) {
        SetBrowserRowRecord(row, record);
        AddTraceRow(state, view, database.category, row);
    });
}

}  // namespace

void ScanBrowsers(seam::IFileSystem& files, EngineState& state, seam::IView& view, seam::Category category) {
    for (const BrowserProfile& profile : FindProfiles(files)) {
        for (const DatabaseEntry& database : kDatabases) {
            if (!state.m_bAnalysed.load()) return;
            if (database.category == category) ScanDatabase(files, state, view, profile, database);
        }
    }
}

}  // namespace engine
