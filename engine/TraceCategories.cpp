#include "engine/TraceCategories.h"

#include "engine/GridDelivery.h"
#include "engine/HistorySources.h"
#include "engine/IntelliForms.h"
#include "engine/ProcessReset.h"

namespace kv {

CTraceCategories::CTraceCategories(Platform& platform, EngineState& state, IView& view)
    : m_platform(platform), m_state(state), m_view(view) {}

void CTraceCategories::ScanProcesses(const std::string& code) {
    kv::ScanProcesses(m_platform.processes, m_state, m_view, code);
}

void CTraceCategories::ScanRegistryTraces(const std::string& code) {
    if (code == "REGISTRY") {
        ScanIntelliForms(m_platform.registry, m_state, m_view);
    } else if (code == "RECENT") {
        ScanHistory(m_platform, m_state, m_view);
    }
}

bool CTraceCategories::StopGridService(const std::string& name) {
    return kv::StopGridService(m_platform, m_state, m_view, name);
}

bool CTraceCategories::TerminateProcessByName(const std::string& name) {
    return kv::TerminateProcessByName(m_platform.processes, m_state, m_view, name);
}

}  // namespace kv
