#include "tests/fakes/FakeProcesses.h"

namespace fakes {

FakeProcesses::FakeProcesses(const std::string& selfExe) { m_nSelfPid = Add(selfExe); }

FakeProcesses::Proc* FakeProcesses::ByHandle(seam::ProcHandle h) {
    auto it = m_handles.find(h);
    if (it == m_handles.end()) return nullptr;
    for (auto& p : m_procs) {
        if (p.pid == it->second) return &p;
    }
    return nullptr;
}

bool FakeProcesses::Snapshot(std::vector<seam::ProcessEntry>& out) {
    std::lock_guard<std::mutex> hold(m_lock);
    out.clear();
    if (m_bSnapshotFails) return false;
    for (const auto& p : m_procs) {
        if (p.running) out.push_back(seam::ProcessEntry{p.pid, p.exeName});
    }
    return !out.empty();
}

uint32_t FakeProcesses::CurrentProcessId() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nSelfPid;
}

seam::ProcHandle FakeProcesses::Open(uint32_t pid) {
    std::lock_guard<std::mutex> hold(m_lock);
    for (const auto& p : m_procs) {
        if (p.pid != pid) continue;
        if (!p.running || p.openFails) return 0;
        seam::ProcHandle h = m_nNextHandle;
        m_nNextHandle += 4;
        m_handles.emplace(h, pid);
        return h;
    }
    return 0;
}

bool FakeProcesses::GetExitCode(seam::ProcHandle process, uint32_t& code) {
    std::lock_guard<std::mutex> hold(m_lock);
    Proc* p = ByHandle(process);
    if (!p) return false;
    code = p->exitCode;
    return true;
}

bool FakeProcesses::Terminate(seam::ProcHandle process, uint32_t exitCode) {
    std::lock_guard<std::mutex> hold(m_lock);
    Proc* p = ByHandle(process);
    if (!p || !p->running) return false;
    switch (p->mode) {
    case TerminateMode::Refuses:
        return false;
    case TerminateMode::Ignores:
        return true;
    case TerminateMode::EndsLate:
        p->endsAfterWait = true;
        p->exitCode = exitCode;
        m_terminated.push_back(p->pid);
        return true;
    case TerminateMode::Ends:
    case TerminateMode::Respawns: {
        p->running = false;
        p->exitCode = exitCode;
        m_terminated.push_back(p->pid);
        if (p->mode == TerminateMode::Respawns) {
            const std::string exeName = p->exeName;  // AddLocked may move p
            AddLocked(exeName);
            m_procs.back().mode = TerminateMode::Respawns;  // the watchdog is still there
        }
        return true;
    }
    }
    return false;
}

seam::WaitResult FakeProcesses::Wait(seam::ProcHandle process, uint32_t) {
    std::lock_guard<std::mutex> hold(m_lock);
    Proc* p = ByHandle(process);
    if (!p) return seam::WaitResult::Failed;
    if (p->running && p->endsAfterWait) {
        p->running = false;  // just too late for this wait
        return seam::WaitResult::TimedOut;
    }
    return p->running ? seam::WaitResult::TimedOut : seam::WaitResult::Signalled;
}

void FakeProcesses::Close(seam::ProcHandle process) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_handles.erase(process) == 0) ++m_nBadCloses;
}

seam::Criticality FakeProcesses::QueryCritical(uint32_t pid) {
    std::lock_guard<std::mutex> hold(m_lock);
    for (const auto& p : m_procs) {
        if (p.pid == pid) return p.running && !p.openFails ? p.critical : seam::Criticality::Unknown;
    }
    return seam::Criticality::Unknown;
}

uint32_t FakeProcesses::Add(const std::string& exeName) {
    std::lock_guard<std::mutex> hold(m_lock);
    return AddLocked(exeName);
}

uint32_t FakeProcesses::AddLocked(const std::string& exeName) {
    Proc p;
    p.pid = m_nNextPid;
    m_nNextPid += 4;
    p.exeName = exeName;
    m_procs.push_back(p);
    return p.pid;
}

void FakeProcesses::SetOpenFails(uint32_t pid, bool fails) {
    std::lock_guard<std::mutex> hold(m_lock);
    for (auto& p : m_procs) {
        if (p.pid == pid) p.openFails = fails;
    }
}

void FakeProcesses::SetTerminateMode(uint32_t pid, TerminateMode mode) {
    std::lock_guard<std::mutex> hold(m_lock);
    for (auto& p : m_procs) {
        if (p.pid == pid) p.mode = mode;
    }
}

void FakeProcesses::SetSnapshotFails(bool fails) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_bSnapshotFails = fails;
}

void FakeProcesses::SetCritical(uint32_t pid, seam::Criticality mark) {
    std::lock_guard<std::mutex> hold(m_lock);
    for (auto& p : m_procs) {
        if (p.pid == pid) p.critical = mark;
    }
}

void FakeProcesses::End(uint32_t pid, uint32_t exitCode) {
    std::lock_guard<std::mutex> hold(m_lock);
    for (auto& p : m_procs) {
        if (p.pid == pid && p.running) {
            p.running = false;
            p.exitCode = exitCode;
        }
    }
}

bool FakeProcesses::IsRunning(uint32_t pid) const {
    std::lock_guard<std::mutex> hold(m_lock);
    for (const auto& p : m_procs) {
        if (p.pid == pid) return p.running;
    }
    return false;
}

int FakeProcesses::RunningCount(const std::string& exeName) const {
    std::lock_guard<std::mutex> hold(m_lock);
    int n = 0;
    for (const auto& p : m_procs) {
        if (p.running && p.exeName == exeName) ++n;
    }
    return n;
}

std::vector<uint32_t> FakeProcesses::Terminated() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_terminated;
}

int FakeProcesses::OpenHandleCount() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return static_cast<int>(m_handles.size());
}

int FakeProcesses::BadCloseCount() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nBadCloses;
}

}  // namespace fakes
