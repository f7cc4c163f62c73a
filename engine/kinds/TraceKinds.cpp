#include "engine/kinds/TraceKinds.h"

#include "engine/browsers/BrowserRemover.h"
#include "engine/browsers/BrowserScan.h"
#include "engine/core/Cp949.h"
#include "engine/history/HistorySources.h"
#include "engine/history/IntelliForms.h"
#include "engine/processes/GridDelivery.h"
#include "engine/processes/ProcessReset.h"
#include "engine/recent/AutomaticJumpLists.h"
#include "engine/recent/JumpListCleaner.h"
#include "engine/recent/RecentFiles.h"

namespace engine {
namespace {

// --- what holds a row
Container ByProgramName(const seam::TraceTarget& target) {
    // Windows compares executable names without case; so does the removal.
    return {target.kind, seam::RegRoot::CurrentUser, LowerAscii949(target.name), {}};
}
Container AllInOne(const seam::TraceTarget& target) { return {target.kind, seam::RegRoot::CurrentUser, {}, {}}; }
Container ByKey(const seam::TraceTarget& target) { return {target.kind, target.root, target.key, {}}; }
Container ByPath(const seam::TraceTarget& target) { return {target.kind, seam::RegRoot::CurrentUser, {}, target.path}; }

// --- scanners
void ScanAgents(KindContext& c) { ScanGridAgents(c.platform.processes, c.state, c.view); }
void ScanPrograms(KindContext& c) { ScanProcesses(c.platform, c.state, c.view); }
void ScanForms(KindContext& c) { ScanIntelliForms(c.platform.registry, c.state, c.view); }
void ScanBrowserForms(KindContext& c) { ScanBrowsers(c.platform.files, c.state, c.view, seam::kRegistry); }
void ScanRegistryHistory(KindContext& c) { ScanHistory(c.platform, c.state, c.view); }
void ScanRecentFolders(KindContext& c) { ScanRecentFiles(c.platform, c.state, c.view); }
void ScanJumpLists(KindContext& c) {
    const std::u16string recent = RecentFolder(c.platform.files);
    if (!recent.empty()) ScanAutomaticJumpLists(c.platform.files, c.state, c.view, recent);
}
void ScanBrowserHistory(KindContext& c) { ScanBrowsers(c.platform.files, c.state, c.view, seam::kRecent); }

// --- removers
void StopAgents(KindContext& c, const RowBatch& rows, std::vector<RowFate>& fates) {
    StopGridAgents(c.platform, rows, fates);
}
void EndProgramRows(KindContext& c, const RowBatch& rows, std::vector<RowFate>& fates) {
    EndPrograms(c.platform, rows, fates);
}
void DeleteForms(KindContext& c, const RowBatch& rows, std::vector<RowFate>& fates) {
    DeleteIntelliFormsRows(c.platform.registry, rows, fates);
}
void DeleteValues(KindContext& c, const RowBatch& rows, std::vector<RowFate>& fates) {
    DeleteHistoryValues(c.platform.registry, rows, fates);
}
void DeleteFiles(KindContext& c, const RowBatch& rows, std::vector<RowFate>& fates) {
    DeleteRecentFiles(c.platform.files, rows, fates);
}
void EditJumpLists(KindContext& c, const RowBatch& rows, std::vector<RowFate>& fates) {
    EditJumpList(c.platform, rows, fates);
}
void RemoveDatabaseRows(KindContext& c, const RowBatch& rows, std::vector<RowFate>& fates) {
    RemoveBrowserRows(c.platform, c.state, rows, fates);
}

using seam::TargetKind;

}  // namespace

const std::vector<TraceKind>& TraceKinds() {
    static const std::vector<TraceKind> kinds = {
        // Programs first: an agent whose program this pass ends, and whose
        // service is not installed, is gone by the time its row comes up.
        {"running programs", seam::kProcess, TargetKind::Process, ScanPrograms, EndProgramRows, ByProgramName},
        {"grid-delivery agents", seam::kGrid, TargetKind::Service, ScanAgents, StopAgents, ByProgramName},
        {"IntelliForms", seam::kRegistry, TargetKind::RegKeyTree, ScanForms, DeleteForms, AllInOne},
        {"browsers' logins and form entries", seam::kRegistry, TargetKind::DatabaseRow, ScanBrowserForms,
         RemoveDatabaseRows, ByPath},
        {"registry history", seam::kRecent, TargetKind::RegValue, ScanRegistryHistory, DeleteValues, ByKey},
        {"Recent shortcuts and custom jump lists", seam::kRecent, TargetKind::File, ScanRecentFolders, DeleteFiles,
         ByPath},
        {"automatic jump list entries", seam::kRecent, TargetKind::JumpListEntry, ScanJumpLists, EditJumpLists,
         ByPath},
        {"browsers' history", seam::kRecent, TargetKind::DatabaseRow, ScanBrowserHistory, RemoveDatabaseRows, ByPath},
    };
    return kinds;
}

const TraceKind* KindOfTarget(seam::TargetKind target) {
    for (const TraceKind& kind : TraceKinds()) {
        if (kind.target == target) return &kind;
    }
    return nullptr;
}

int CleaningOrderOf(seam::TargetKind target) {
    const std::vector<TraceKind>& kinds = TraceKinds();
    for (size_t i = 0; i < kinds.size(); ++i) {
        if (kinds[i].target == target) return static_cast<int>(i);
    }
    return static_cast<int>(kinds.size());
}

}  // namespace engine
