#include "engine/browsers/BrowserRemover.h"

#include "engine/browsers/BrowserClean.h"
#include "engine/browsers/BrowserProfiles.h"
#include "engine/processes/ProcessReset.h"

namespace engine {
namespace {

// What became of a database whose transaction did not go through.
RowFate FateOfDatabase(seam::IFileSystem& files, DatabaseFate fate, const std::u16string& path) {
    switch (fate) {
        case DatabaseFate::Cleaned: return RowFate::Removed;
        case DatabaseFate::Locked: return RowFate::BrowserRunning;
        case DatabaseFate::Missing: {
            // No file, no rows: they went with it. A file SQLite could not
            // open that is still listed is another matter.
            uint64_t size = 0;
            const size_t slash = path.find_last_of(u'\\');
            if (!DatabaseFile(files, FolderOf(path), path.substr(slash + 1), size)) return RowFate::AlreadyGone;
            return RowFate::StillThere;
        }
        case DatabaseFate::Unreadable: break;
    }
    return RowFate::StillThere;
}

// Deletes a file that goes with the rows; one that stays is the user's to know of.
void DeleteCompanion(seam::IFileSystem& files, EngineState& state, const std::u16string& path) {
    const RowFate fate = FateOfFile(seam::FileFateOf(files.DeleteFile(path)));
    if (!IsGone(fate)) state.AddNote({NoteKind::FileLeft, path, fate});
}

}  // namespace

void RemoveBrowserRows(seam::Platform& platform, EngineState& state, const RowBatch& rows,
                       std::vector<RowFate>& fates) {
    fates.assign(rows.size(), RowFate::StillThere);
    if (rows.empty() || rows.front()->target.path.empty()) return;
    const std::u16string& path = rows.front()->target.path;
    const DatabaseEntry* database = DatabaseOfPath(path);
    if (!database) return;
    const BrowserEntry* browser = BrowserOfPath(path);
    if (browser && CountRunning(platform.processes, browser->exe) != 0) {
        fates.assign(rows.size(), RowFate::BrowserRunning);
        return;
    }

    // SQLite opens the database by its path and writes its journal beside
    // it by name: neither may lead through a link, and neither the profile
    // folder nor the database may be put elsewhere while SQLite works, so
    // both are held from before the check until the connection is closed.
    long held = seam::kErrSuccess;
    const std::unique_ptr<seam::IFileHold> folderHold = platform.files.HoldPlain(FolderOf(path), true, held);
    std::unique_ptr<seam::IFileHold> fileHold;
    if (folderHold) fileHold = platform.files.HoldPlain(path, false, held);
    if (held == seam::kErrLinked) {
        fates.assign(rows.size(), RowFate::Linked);
        return;
    }
    for (const char16_t* suffix : {u"-journal", u"-wal", u"-shm"}) {
        if (platform.files.CheckPlainFile(path + suffix) == seam::kErrLinked) {
            fates.assign(rows.size(), RowFate::Linked);
            return;
        }
    }

    std::vector<RowRemoval> removals;
    removals.reserve(rows.size());
    for (const seam::TraceItem* row : rows) removals.push_back({row->target, false});
    const DatabaseResult result = RemoveDatabaseRows(platform.files.Utf8Path(path), database->kind, removals);
    if (result.fate != DatabaseFate::Cleaned) {
        fates.assign(rows.size(), FateOfDatabase(platform.files, result.fate, path));
        return;
    }
    for (size_t i = 0; i < rows.size(); ++i) fates[i] = removals[i].bGone ? RowFate::Removed : RowFate::StillThere;
    // The rows are out of the database either way (a second pass would find
    // them gone); a -wal that could not be emptied still holds their texts,
    // and the user is told which file.
    if (result.wal == WalFate::Busy || result.wal == WalFate::Failed) {
        state.AddNote({NoteKind::FileLeft, path + u"-wal",
                       result.wal == WalFate::Busy ? RowFate::BrowserRunning : RowFate::StillThere});
    }
    if (result.bNoAddressLeft) {
        const std::u16string folder = FolderOf(path);
        for (const char16_t* name : kHistoryCompanions) {
            DeleteCompanion(platform.files, state, folder + u"\\" + name);
            DeleteCompanion(platform.files, state, folder + u"\\" + name + u"-journal");
        }
    }
}

}  // namespace engine
