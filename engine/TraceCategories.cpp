#include "engine/TraceCategories.h"

#include "engine/GridDelivery.h"
#include "engine/HistorySources.h"
#include "engine/IntelliForms.h"
#include "engine/ProcessReset.h"

namespace kv {
namespace {

CleanOutcome GoneOrStayed(bool gone) { return gone ? CleanOutcome::Gone : CleanOutcome::Stayed; }

}  // namespace

CTraceCategories::CTraceCategories(Platform& platform, EngineState& state, IView& view)
    : m_platform(platform), m_state(state), m_view(view) {}

void CTraceCategories::ScanGridAgents() { kv::ScanGridAgents(m_platform.processes, m_state, m_view); }

void CTraceCategories::ScanProcesses() { kv::ScanProcesses(m_platform, m_state, m_view); }

void CTraceCategories::ScanIntelliForms() { kv::ScanIntelliForms(m_platform.registry, m_state, m_view); }

void CTraceCategories::ScanRegistryTraces() { ScanHistory(m_platform, m_state, m_view); }

CleanOutcome CTraceCategories::StopGridService(const TraceItem& row) {
    return GoneOrStayed(kv::StopGridService(m_platform, m_state, m_view, row.Name()));
}

CleanOutcome CTraceCategories::TerminateProcessByName(const TraceItem& row) {
    return GoneOrStayed(kv::TerminateProcessByName(m_platform, m_state, m_view, row.Name()));
}

CleanOutcome CTraceCategories::DeleteIntelliForms(const TraceItem&) {
    return GoneOrStayed(kv::DeleteIntelliForms(m_platform.registry, m_state, m_view));
}

CleanOutcome CTraceCategories::DeleteHistoryValue(const TraceItem& row) {
    return kv::DeleteHistoryValue(m_platform.registry, m_state, m_view, row);
}

}  // namespace kv
