#include "engine/kinds/TraceCategories.h"

#include "engine/browsers/BrowserScan.h"
#include "engine/processes/GridDelivery.h"
#include "engine/history/HistorySources.h"
#include "engine/history/IntelliForms.h"
#include "engine/processes/ProcessReset.h"
#include "engine/recent/RecentFiles.h"

namespace engine {
namespace {

CleanOutcome GoneOrStayed(bool gone) { return gone ? CleanOutcome::Gone : CleanOutcome::Stayed; }

}  // namespace

CTraceCategories::CTraceCategories(seam::Platform& platform, EngineState& state, seam::IView& view)
    : m_platform(platform), m_state(state), m_view(view), m_keys(platform.registry),
      m_jumpLists(platform, state, view), m_browsers(platform, state, view) {}

void CTraceCategories::ScanGridAgents() { engine::ScanGridAgents(m_platform.processes, m_state, m_view); }

void CTraceCategories::ScanProcesses() { engine::ScanProcesses(m_platform, m_state, m_view); }

void CTraceCategories::ScanIntelliForms() {
    engine::ScanIntelliForms(m_platform.registry, m_state, m_view);
    ScanBrowsers(m_platform.files, m_state, m_view, seam::kRegistry);
}

void CTraceCategories::ScanRegistryTraces() {
    ScanHistory(m_platform, m_state, m_view);
    ScanRecentFiles(m_platform, m_state, m_view);
    ScanBrowsers(m_platform.files, m_state, m_view, seam::kRecent);
}

CleanOutcome CTraceCategories::StopGridService(const seam::TraceItem& row) {
    return GoneOrStayed(engine::StopGridService(m_platform, m_state, m_view, row.target.name));
}

CleanOutcome CTraceCategories::TerminateProcessByName(const seam::TraceItem& row) {
    return GoneOrStayed(engine::TerminateProcessByName(m_platform, m_state, m_view, row.target.name));
}

CleanOutcome CTraceCategories::DeleteIntelliForms(const seam::TraceItem&) {
    return GoneOrStayed(engine::DeleteIntelliForms(m_platform.registry, m_state, m_view));
}

CleanOutcome CTraceCategories::DeleteHistoryValue(const seam::TraceItem& row) {
    return engine::DeleteHistoryValue(m_platform.registry, m_state, m_view, row.target, m_keys);
}

CleanOutcome CTraceCategories::DeleteRecentFile(const seam::TraceItem& row) {
    return engine::DeleteRecentFile(m_platform.files, m_state, m_view, row.target);
}

CleanOutcome CTraceCategories::DeleteJumpListEntry(const seam::TraceItem& row) {
    return m_jumpLists.Remove(row.target);
}

CleanOutcome CTraceCategories::DeleteBrowserRow(const seam::TraceItem& row) { return m_browsers.Remove(row); }

void CTraceCategories::CleaningDone() {
    m_keys.Close();
    m_jumpLists.Done();
    m_bBrowserHeld = m_browsers.Done();
}

}  // namespace engine
