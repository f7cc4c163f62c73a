#include "engine/processes/ProcessChoice.h"

#include <map>

namespace engine {
namespace {

// Services run in session 0 since Windows Vista; no user signs in there.
constexpr uint32_t kServiceSession = 0;

}  // namespace

std::vector<uint32_t> ParentChain(seam::IProcesses& procs, const std::vector<seam::ProcessEntry>& snapshot,
                                  uint32_t self) {
    std::map<uint32_t, uint32_t> parentOf;
    for (const seam::ProcessEntry& entry : snapshot) parentOf[entry.pid] = entry.parentPid;

    std::vector<uint32_t> chain;
    std::set<uint32_t> seen{self};
    uint64_t childStart = 0;
    bool bChildKnown = procs.StartTimeOf(self, childStart);
    uint32_t child = self;
    // Each step adds a new id, so the walk ends within the snapshot's length.
    for (;;) {
        const auto it = parentOf.find(child);
        if (it == parentOf.end()) break;
        const uint32_t parent = it->second;
        if (parent == 0 || !seen.insert(parent).second || parentOf.count(parent) == 0) break;
        uint64_t parentStart = 0;
        const bool bKnown = procs.StartTimeOf(parent, parentStart);
        if (bKnown && bChildKnown && parentStart > childStart) break;
        chain.push_back(parent);
        if (!bKnown) break;
        child = parent;
        childStart = parentStart;
        bChildKnown = true;
    }
    return chain;
}

CProcessChoice::CProcessChoice(seam::Platform& platform, const std::vector<seam::ProcessEntry>& snapshot)
    : m_procs(platform.processes),
      m_guard(platform.processes, platform.registry, platform.system),
      m_nSelf(platform.processes.CurrentProcessId()) {
    m_bSessionKnown = m_procs.SessionOf(m_nSelf, m_nSession);
    std::vector<uint32_t> pids;
    // Without the service manager's answer the sessions still keep services
    // out on Windows; under Wine, where every process reports our session,
    // Wine's own services are protected by name.
    if (platform.services.ServiceProcessIds(pids)) m_servicePids.insert(pids.begin(), pids.end());
    const std::vector<uint32_t> chain = ParentChain(m_procs, snapshot, m_nSelf);
    m_ancestors.insert(chain.begin(), chain.end());
}

ProcessVerdict CProcessChoice::Judge(const seam::ProcessEntry& entry) const {
    if (entry.pid == m_nSelf) return ProcessVerdict::Self;
    if (m_ancestors.count(entry.pid) != 0) return ProcessVerdict::Ancestor;
    if (m_servicePids.count(entry.pid) != 0) return ProcessVerdict::Service;
    if (m_guard.IsProtectedName(entry.exeName)) return ProcessVerdict::Protected;
    uint32_t session = 0;
    // A process whose session cannot be read is not known to be ours.
    if (!m_bSessionKnown || !m_procs.SessionOf(entry.pid, session)) return ProcessVerdict::OtherSession;
    // Session 0 is the services' own only where the user signs in to
    // another; on Windows XP the console user shares it with them, and
    // the service manager's answer alone tells services apart.
    if (session == kServiceSession && m_nSession != kServiceSession) return ProcessVerdict::Service;
    if (session != m_nSession) return ProcessVerdict::OtherSession;
    if (m_guard.IsProtected(entry)) return ProcessVerdict::Protected;
    return ProcessVerdict::Ours;
}

}  // namespace engine
