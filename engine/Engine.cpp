#include "engine/Engine.h"

#include <vector>

#include "engine/IntelliFormsKeys.h"
#include "engine/StatusTexts.h"
#include "net/Server.h"
#include "net/UsageCount.h"
#include "registry/RegHelpers.h"
#include "seam/Scoped.h"

namespace kv {
namespace {

// The cleaning walk reads NAME into a 260-byte buffer: only this much of it counts.
constexpr size_t kListTextMax = 259;

struct Scanner {
    Category category;
    const char* code;
    bool processWalk;  // ScanProcesses, else ScanRegistryTraces
};

// The order in which analysis runs the scanners.
constexpr Scanner kScanners[] = {
    {kGrid, "GRID", true},
    {kProcess, "PROCESS", true},
    {kRegistry, "REGISTRY", false},
    {kRecent, "RECENT", false},
};

}  // namespace

CTraceEngine::CTraceEngine(Platform& platform, EngineState& state, IView& view,
                           ICategories& categories)
    : m_platform(platform), m_state(state), m_view(view), m_categories(categories) {}

void CTraceEngine::AnalyseOrClean() {
    if (m_state.m_nAnalysed.load() == 0) {
        AnalysisPass();
    } else {
        CleaningPass();
    }
}

void CTraceEngine::ConnectionTest(const char* countQuery) {
    if (m_platform.net.IsOnline()) {
        m_state.m_bOnline.store(1);
        SendUsageCount(m_platform.net, ServerUrl(countQuery));
    } else {
        m_state.m_bOnline.store(0);
    }
}

void CTraceEngine::AnalysisPass() {
    ConnectionTest(kCountAnalysis);
    // Set before scanning: the history scan stops as soon as it sees 0 here.
    m_state.m_nAnalysed.store(1);
    m_view.SetProgress(0);

    for (const Scanner& s : kScanners) {
        // A category whose rows are still listed is not scanned again.
        if (!m_state.IsEnabled(s.category) || m_state.Count(s.category) != 0) continue;
        if (s.processWalk) {
            m_categories.ScanProcesses(s.code);
        } else {
            m_categories.ScanRegistryTraces(s.code);
        }
    }
    // Every row found is in the list before the window says so.
    m_view.Traces().Flush();

    int64_t total = 0;
    for (int c = 0; c < kCategoryCount; ++c) total += m_state.Count(static_cast<Category>(c));
    if (total == 0) {
        m_state.SetStatusText(StatusNoItems());
        m_view.StatusChanged();
        m_state.m_nAnalysed.store(0);
    } else {
        m_state.SetStatusText(StatusCleanPrompt());
        m_view.StatusChanged();
        m_view.SetActionFace(kFaceClean);
    }
    m_view.SetProgress(100);
}

void CTraceEngine::CleaningPass() {
    ConnectionTest(kCountClean);
    m_state.m_nAnalysed.store(0);

    ITraceList& list = m_view.Traces();
    list.Flush();
    int failed = 0;
    int n = list.Count();
    for (int i = 0; i < n;) {
        switch (CleanRow(list.Read(i))) {
        case Outcome::Gone:
            // The rows below move up: index i holds the next row now.
            list.Delete(i);
            --n;
            break;
        case Outcome::Stayed:
            ++failed;
            ++i;
            break;
        case Outcome::Skipped:
            ++i;
            break;
        }
    }
    list.Flush();

    m_state.SetStatusText(failed == 0 ? StatusCleanDone() : StatusCleanFailed(failed));
    m_view.StatusChanged();
    m_view.SetActionFace(kFaceAnalyse);
}

CTraceEngine::Outcome CTraceEngine::CleanRow(const TraceItem& row) {
    const std::string& code = row.Code();
    const std::string name = row.Name().substr(0, kListTextMax);
    if (code == "GRID" && m_state.IsEnabled(kGrid)) {
        return m_categories.StopGridService(name) ? Outcome::Gone : Outcome::Stayed;
    }
    if (code == "PROCESS" && m_state.IsEnabled(kProcess)) {
        return m_categories.TerminateProcessByName(name) ? Outcome::Gone : Outcome::Stayed;
    }
    if (code == "REGISTRY" && m_state.IsEnabled(kRegistry)) return CleanRegistryRow();
    if (code == "RECENT" && m_state.IsEnabled(kRecent)) return CleanRecentRow(row);
    return Outcome::Skipped;
}

CTraceEngine::Outcome CTraceEngine::CleanRegistryRow() {
    // Any REGISTRY row stands for all three keys; after the first row the
    // deletions find nothing left, and the row still leaves.
    for (const char* path : kIntelliFormsKeys) {
        DeleteKeyTree(m_platform.registry, RegRoot::CurrentUser, path, 1);
    }
    for (const char* path : kIntelliFormsKeys) {
        if (KeyExists(RegRoot::CurrentUser, path)) return Outcome::Stayed;
    }
    m_state.SetCount(kRegistry, 0);
    m_view.CounterChanged(kRegistry);
    return Outcome::Gone;
}

CTraceEngine::Outcome CTraceEngine::CleanRecentRow(const TraceItem& row) {
    const std::string& regKey = row.text[kColRegKey];
    const std::string& value = row.text[kColValue];
    const size_t slash = regKey.find('\\');
    const std::string rootName = regKey.substr(0, slash);
    const std::string path = slash == std::string::npos ? std::string() : regKey.substr(slash + 1);

    RegRoot root;
    if (rootName == "HKEY_CURRENT_USER") {
        root = RegRoot::CurrentUser;
    } else if (rootName == "HKEY_LOCAL_MACHINE") {
        root = RegRoot::LocalMachine;
    } else {
        return Outcome::Skipped;
    }
    // A value that was already gone counts as cleaned; one that is still
    // there after a failed deletion does not.
    if (DeleteRegValue(m_platform.registry, root, path, value) != 1 &&
        ValueExists(root, path, value)) {
        return Outcome::Stayed;
    }
    m_state.AddCount(kRecent, -1);
    m_view.CounterChanged(kRecent);
    return Outcome::Gone;
}

bool CTraceEngine::KeyExists(RegRoot root, const std::string& path) {
    ScopedRegKey key(m_platform.registry);
    // Only "not found" proves absence; a key we may not open is still there.
    return m_platform.registry.OpenKey(root, path, RegAccess::Default, key.Out()) != kErrFileNotFound;
}

bool CTraceEngine::ValueExists(RegRoot root, const std::string& path, const std::string& name) {
    ScopedRegKey key(m_platform.registry);
    long r = m_platform.registry.OpenKey(root, path, RegAccess::Default, key.Out());
    if (r == kErrFileNotFound) return false;
    if (r != kErrSuccess) return true;
    // A zero-byte buffer: success or "more data" both prove the value is there.
    std::vector<uint8_t> data;
    return m_platform.registry.QueryValue(key.Get(), name, data, 0, nullptr) != kErrFileNotFound;
}

}  // namespace kv
