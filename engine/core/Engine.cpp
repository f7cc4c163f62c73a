#include "engine/core/Engine.h"

#include <utility>

#include "engine/core/StatusTexts.h"
#include "net/Server.h"
#include "net/UsageCount.h"

namespace engine {
CTraceEngine::CTraceEngine(seam::Platform& platform, EngineState& state, seam::IView& view,
                           ICategories& categories)
    : m_platform(platform), m_state(state), m_view(view), m_categories(categories) {}

void CTraceEngine::AnalyseOrClean() {
    if (!m_state.m_bAnalysed.load()) {
        AnalysisPass();
    } else {
        CleaningPass();
    }
}

void CTraceEngine::ConnectionTest(const char* countQuery) {
    const bool online = m_platform.net.IsOnline();
    m_state.m_bOnline.store(online);
    if (online) net::SendUsageCount(m_platform.net, m_platform.registry, net::ServerUrl(countQuery));
}

void CTraceEngine::AnalysisPass() {
    ConnectionTest(net::kCountAnalysis);
    // Raised before scanning: the history scan stops as soon as it sees it down.
    m_state.m_bAnalysed.store(true);
    m_view.SetProgress(0);

    for (const CategoryEntry& entry : kCategoryTable) {
        // A category whose rows are still listed is not scanned again.
        if (!m_state.IsEnabled(entry.category) || m_state.Count(entry.category) != 0) continue;
        (m_categories.*entry.scan)();
    }
    // Every row found is in the list before the window says so.
    m_view.Traces().Flush();

    int64_t total = 0;
    for (const CategoryEntry& entry : kCategoryTable) total += m_state.Count(entry.category);
    if (total == 0) {
        m_state.SetStatusText(StatusNoItems());
        m_view.StatusChanged();
        m_state.m_bAnalysed.store(false);
    } else {
        m_state.SetStatusText(StatusCleanPrompt());
        m_view.StatusChanged();
        m_view.SetActionFace(seam::ActionFace::Clean);
    }
    m_view.SetProgress(100);
}

void CTraceEngine::CleaningPass() {
    ConnectionTest(net::kCountClean);
    m_state.m_bAnalysed.store(false);

    seam::ITraceList& list = m_view.Traces();
    list.Flush();
    int failed = 0;
    int rowsLeft[seam::kCategoryCount] = {};
    int n = list.Count();
    for (int i = 0; i < n;) {
        seam::TraceItem row = list.Read(i);
        const CategoryEntry* entry = CategoryOfCode(row.Code());
        const CleanOutcome outcome = CleanRow(row);
        if (outcome == CleanOutcome::Gone) {
            // The rows below move up: index i holds the next row now.
            list.Delete(i);
            --n;
            continue;
        }
        if (outcome == CleanOutcome::Stayed) ++failed;
        if (entry != nullptr) ++rowsLeft[entry->category];
        ++i;
    }
    m_categories.CleaningDone();
    list.Flush();
    MatchCountersToRows(rowsLeft);

    if (failed == 0) {
        m_state.SetStatusText(StatusCleanDone());
    } else {
        m_state.SetStatusText(m_categories.BrowserHeldRows() ? StatusCleanBrowserOpen(failed) : StatusCleanFailed(failed));
    }
    m_view.StatusChanged();
    m_view.SetActionFace(seam::ActionFace::Analyse);
}

void CTraceEngine::MatchCountersToRows(const int (&rowsLeft)[seam::kCategoryCount]) {
    // The removers count what they ended, which need not be what the list
    // holds: a process may come back, end by itself before cleaning, or have
    // started after the analysis. A category that still has rows keeps its
    // counter above 0, so the next analysis does not list them again; one
    // with none left is not held above 0 by rows that have gone.
    for (const CategoryEntry& entry : kCategoryTable) {
        const int32_t count = m_state.Count(entry.category);
        const int left = rowsLeft[entry.category];
        int32_t wanted = count;
        if (left > 0 && count <= 0) wanted = left;
        if (left == 0 && count > 0) wanted = 0;
        if (wanted == count) continue;
        m_state.SetCount(entry.category, wanted);
        m_view.CounterChanged(entry.category);
    }
}

CleanOutcome CTraceEngine::CleanRow(const seam::TraceItem& row) {
    const CategoryEntry* entry = CategoryOfCode(row.Code());
    if (entry == nullptr || !m_state.IsEnabled(entry->category)) return CleanOutcome::Skipped;
    const RemoverEntry* remover = RemoverOf(row.target.kind);
    if (remover == nullptr) return CleanOutcome::Skipped;
    return (m_categories.*remover->remove)(row);
}

}  // namespace engine
