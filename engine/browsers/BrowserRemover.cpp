#include "engine/browsers/BrowserRemover.h"

#include <vector>

#include "engine/browsers/BrowserClean.h"
#include "engine/browsers/BrowserProfiles.h"
#include "engine/core/Cp949.h"
#include "engine/processes/ProcessReset.h"

namespace engine {
namespace {

bool SameDatabase(const seam::TraceItem& row, const std::u16string& path) {
    return row.target.kind == seam::TargetKind::DatabaseRow && row.target.path == path;
}

}  // namespace

bool CBrowserRemover::BrowserRuns(const std::string& exe, bool bProcessRowListed) {
    // Ended once per pass, by the same removal its own row would use; that
    // row then finds it gone.
    if (bProcessRowListed && m_setEnded.insert(exe).second) {
        TerminateProcessByName(m_platform, m_state, m_view, exe);
    }
    return CountRunning(m_platform.processes, exe) != 0;
}

void CBrowserRemover::CleanDatabase(const seam::TraceItem& first) {
    const std::u16string& path = first.target.path;
    DatabaseOutcome& outcome = m_mapDone[path];
    const DatabaseEntry* database = DatabaseOfPath(path);
    const BrowserEntry* browser = BrowserOfPath(path);

    // The rows of this database still in the list (the one at hand among
    // them), and whether the browser's PROCESS row is listed too.
    std::vector<RowRemoval> rows;
    bool bFirstListed = false;
    bool bProcessRow = false;
    seam::ITraceList& list = m_view.Traces();
    const int n = list.Count();
    const std::string exe = browser ? LowerAscii949(browser->exe) : std::string();
    for (int i = 0; i < n; ++i) {
        const seam::TraceItem row = list.Read(i);
        const CategoryEntry* entry = CategoryOfCode(row.Code());
        if (!entry || !m_state.IsEnabled(entry->category)) continue;
        if (row.target.kind == seam::TargetKind::Process && !exe.empty() && LowerAscii949(row.target.name) == exe) {
            bProcessRow = true;
        }
        if (!SameDatabase(row, path)) continue;
        bFirstListed |= row.target.name == first.target.name && row.target.id == first.target.id;
        rows.push_back({row.target, false});
    }
    if (!bFirstListed) rows.push_back({first.target, false});

    bool bCleaned = false;
    if (database && !(browser && BrowserRuns(browser->exe, bProcessRow))) {
        const DatabaseResult result = RemoveDatabaseRows(m_platform.files.Utf8Path(path), database->kind, rows);
        switch (result.fate) {
            case DatabaseFate::Cleaned: bCleaned = true; break;
            case DatabaseFate::Missing: {
                // No file, no rows: they went with it. A file SQLite could
                // not open that is still listed is another matter.
                uint64_t size = 0;
                const size_t slash = path.find_last_of(u'\\');
                if (!DatabaseFile(m_platform.files, FolderOf(path), path.substr(slash + 1), size)) {
                    for (RowRemoval& row : rows) row.bGone = true;
                    bCleaned = true;
                }
                break;
            }
            case DatabaseFate::Locked: m_bBrowserKept = true; break;
            case DatabaseFate::Unreadable: break;
        }
        if (result.bNoAddressLeft) {
            const std::u16string folder = FolderOf(path);
            for (const char16_t* name : kHistoryCompanions) {
                m_platform.files.DeleteFile(folder + u"\\" + name);
                m_platform.files.DeleteFile(folder + u"\\" + name + u"-journal");
            }
        }
    } else if (database) {
        m_bBrowserKept = true;
    }
    for (const RowRemoval& row : rows) {
        outcome.rows[{row.target.name, row.target.id}] = bCleaned && row.bGone;
    }
}

CleanOutcome CBrowserRemover::Remove(const seam::TraceItem& row) {
    const seam::TraceTarget& target = row.target;
    if (target.kind != seam::TargetKind::DatabaseRow || target.path.empty() || !DatabaseOfPath(target.path))
        return CleanOutcome::Skipped;
    const CategoryEntry* entry = CategoryOfCode(row.Code());
    if (!entry) return CleanOutcome::Skipped;

    auto done = m_mapDone.find(target.path);
    const RowKey key{target.name, target.id};
    // A row the first look did not see (the list changed meanwhile) gets a
    // transaction of its own.
    if (done == m_mapDone.end() || done->second.rows.count(key) == 0) {
        if (done != m_mapDone.end()) m_mapDone.erase(done);
        CleanDatabase(row);
        done = m_mapDone.find(target.path);
    }
    if (!done->second.rows[key]) return CleanOutcome::Stayed;
    m_state.AddCount(entry->category, -1);
    m_view.CounterChanged(entry->category);
    return CleanOutcome::Gone;
}

bool CBrowserRemover::Done() {
    const bool bKept = m_bBrowserKept;
    m_mapDone.clear();
    m_setEnded.clear();
    m_bBrowserKept = false;
    return bKept;
}

}  // namespace engine
