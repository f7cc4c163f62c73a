#include "tests/fakes/FakeServices.h"

#include "tests/fakes/FakeProcesses.h"
#include "tests/fakes/FoldCase.h"

namespace fakes {

FakeServices::FakeServices(FakeProcesses* processes) : m_pProcesses(processes) {}

FakeServices::Service* FakeServices::Find(const std::string& name) {
    for (auto& s : m_services) {
        if (SameName(s.name, name)) return &s;
    }
    return nullptr;
}

const FakeServices::Service* FakeServices::Find(const std::string& name) const {
    for (const auto& s : m_services) {
        if (SameName(s.name, name)) return &s;
    }
    return nullptr;
}

FakeServices::Service* FakeServices::ByHandle(seam::SvcHandle h) {
    auto it = m_handles.find(h);
    if (it == m_handles.end() || it->second.empty()) return nullptr;
    return Find(it->second);
}

void FakeServices::Stopped(Service& s) {
    s.state = seam::kSvcStopped;
    if (m_pProcesses && s.linkedPid) m_pProcesses->End(s.linkedPid, 0);
}

seam::SvcHandle FakeServices::OpenManager() {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_bManagerFails) return 0;
    seam::SvcHandle h = m_nNextHandle;
    m_nNextHandle += 4;
    m_handles.emplace(h, std::string());
    return h;
}

seam::SvcHandle FakeServices::OpenService(seam::SvcHandle manager, const std::string& name) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_handles.find(manager);
    if (it == m_handles.end() || !it->second.empty()) return 0;
    Service* s = Find(name);
    if (!s || s->openDenied) return 0;
    seam::SvcHandle h = m_nNextHandle;
    m_nNextHandle += 4;
    m_handles.emplace(h, s->name);
    return h;
}

bool FakeServices::ControlStop(seam::SvcHandle service) {
    std::lock_guard<std::mutex> hold(m_lock);
    Service* s = ByHandle(service);
    if (!s) return false;
    ++s->stopControls;
    // Windows refuses the control for a service that is stopped or already stopping.
    if (s->state != seam::kSvcRunning) return false;
    if (s->stopMode == StopMode::Refuses) return false;
    if (s->stopMode == StopMode::Ignores) return true;
    if (s->pendingPolls == 0) {
        Stopped(*s);
    } else {
        s->state = seam::kSvcStopPending;
        s->pendingLeft = s->pendingPolls;
    }
    return true;
}

bool FakeServices::QueryState(seam::SvcHandle service, uint32_t& state) {
    std::lock_guard<std::mutex> hold(m_lock);
    Service* s = ByHandle(service);
    if (!s) return false;
    ++s->queries;
    if (s->queryFails) return false;
    if (s->state == seam::kSvcStopPending && s->pendingPolls >= 0) {
        if (s->pendingLeft > 0) {
            --s->pendingLeft;
        } else {
            Stopped(*s);
        }
    }
    state = s->state;
    return true;
}

void FakeServices::Close(seam::SvcHandle handle) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_handles.erase(handle) == 0) ++m_nBadCloses;
}

bool FakeServices::ServiceProcessIds(std::vector<uint32_t>& pids) {
    std::lock_guard<std::mutex> hold(m_lock);
    pids.clear();
    if (m_bManagerFails) return false;
    for (const auto& s : m_services) {
        if (s.state != seam::kSvcStopped && s.linkedPid != 0) pids.push_back(s.linkedPid);
    }
    return true;
}

void FakeServices::Install(const std::string& name, uint32_t state, int pendingPolls,
                           uint32_t linkedPid) {
    std::lock_guard<std::mutex> hold(m_lock);
    Service s;
    s.name = name;
    s.state = state;
    s.pendingPolls = pendingPolls;
    s.linkedPid = linkedPid;
    if (Service* old = Find(name)) {
        *old = s;
    } else {
        m_services.push_back(s);
    }
}

void FakeServices::SetManagerFails(bool fails) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_bManagerFails = fails;
}

void FakeServices::SetOpenDenied(const std::string& name, bool denied) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (Service* s = Find(name)) s->openDenied = denied;
}

void FakeServices::SetQueryFails(const std::string& name, bool fails) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (Service* s = Find(name)) s->queryFails = fails;
}

void FakeServices::SetStopMode(const std::string& name, StopMode mode) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (Service* s = Find(name)) s->stopMode = mode;
}

uint32_t FakeServices::State(const std::string& name) const {
    std::lock_guard<std::mutex> hold(m_lock);
    const Service* s = Find(name);
    return s ? s->state : 0;
}

int FakeServices::StopControls(const std::string& name) const {
    std::lock_guard<std::mutex> hold(m_lock);
    const Service* s = Find(name);
    return s ? s->stopControls : 0;
}

int FakeServices::Queries(const std::string& name) const {
    std::lock_guard<std::mutex> hold(m_lock);
    const Service* s = Find(name);
    return s ? s->queries : 0;
}

int FakeServices::OpenHandleCount() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return static_cast<int>(m_handles.size());
}

int FakeServices::BadCloseCount() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nBadCloses;
}

}  // namespace fakes
