#include "tests/fakes/FakeProcesses.h"

namespace fakes {

FakeProcesses::FakeProcesses(const std::string& selfExe) { m_nSelfPid = Add(selfExe); }

FakeProcesses::Proc* FakeProcesses::ByHandle(seam::ProcHandle h) {
    auto it = m_handles.find(h);
    return it == m_handles.end() ? nullptr : &m_procs[it->second];
}

FakeProcesses::Proc* FakeProcesses::ById(uint32_t pid) {
    return const_cast<Proc*>(static_cast<const FakeProcesses*>(this)->ById(pid));
}

const FakeProcesses::Proc* FakeProcesses::ById(uint32_t pid) const {
    const Proc* last = nullptr;
    for (const auto& p : m_procs) {
        if (p.pid != pid) continue;
        if (p.running) return &p;
        last = &p;
    }
    return last;
}

bool FakeProcesses::Snapshot(std::vector<seam::ProcessEntry>& out) {
    std::lock_guard<std::mutex> hold(m_lock);
    out.clear();
    if (m_bSnapshotFails) return false;
    for (const auto& p : m_procs) {
        if (p.running) out.push_back(seam::ProcessEntry{p.pid, p.exeName, p.parentPid});
    }
    return !out.empty();
}

uint32_t FakeProcesses::CurrentProcessId() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nSelfPid;
}

seam::ProcHandle FakeProcesses::Open(uint32_t pid) {
    std::lock_guard<std::mutex> hold(m_lock);
    const Proc* p = ById(pid);
    if (!p || !p->running || p->openFails) return 0;
    seam::ProcHandle h = m_nNextHandle;
    m_nNextHandle += 4;
    m_handles.emplace(h, static_cast<size_t>(p - m_procs.data()));
    return h;
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
        m_terminateCodes.push_back(exitCode);
        return true;
    case TerminateMode::Ends:
    case TerminateMode::Respawns: {
        p->running = false;
        p->exitCode = exitCode;
        m_terminated.push_back(p->pid);
        m_terminateCodes.push_back(exitCode);
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

bool FakeProcesses::StartTime(seam::ProcHandle process, uint64_t& ticks) {
    std::lock_guard<std::mutex> hold(m_lock);
    const Proc* p = ByHandle(process);
    if (!p) return false;
    ticks = p->started;
    return true;
}

bool FakeProcesses::StartTimeOf(uint32_t pid, uint64_t& ticks) {
    std::lock_guard<std::mutex> hold(m_lock);
    const Proc* p = ById(pid);
    if (!p || !p->running || p->openFails) return false;
    ticks = p->started;
    return true;
}

bool FakeProcesses::ImageName(seam::ProcHandle process, std::string& exeName) {
    std::lock_guard<std::mutex> hold(m_lock);
    const Proc* p = ByHandle(process);
    if (!p || m_bNoImageNames) return false;
    exeName = p->exeName;
    return true;
}

bool FakeProcesses::SessionOf(uint32_t pid, uint32_t& session) {
    std::lock_guard<std::mutex> hold(m_lock);
    const Proc* p = ById(pid);
    if (!p || !p->running) return false;
    session = p->session;
    return true;
}

int FakeProcesses::CloseWindows(uint32_t pid) {
    std::lock_guard<std::mutex> hold(m_lock);
    Proc* p = ById(pid);
    if (!p || !p->running || p->windows == WindowMode::None) return 0;
    if (p->windows == WindowMode::Closes) {
        p->running = false;
        p->exitCode = 0;
        m_closedByWindow.push_back(p->pid);
    }
    return 1;
}

seam::Criticality FakeProcesses::QueryCritical(uint32_t pid) {
    std::lock_guard<std::mutex> hold(m_lock);
    const Proc* p = ById(pid);
    if (!p || !p->running || p->openFails) return seam::Criticality::Unknown;
    return p->critical;
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
    p.started = m_nNextStart;
    m_nNextStart += 10000000;  // a second later each
    m_procs.push_back(p);
    return p.pid;
}

void FakeProcesses::SetParent(uint32_t pid, uint32_t parentPid) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (Proc* p = ById(pid)) p->parentPid = parentPid;
}

void FakeProcesses::SetSession(uint32_t pid, uint32_t session) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (Proc* p = ById(pid)) p->session = session;
}

void FakeProcesses::SetStartTime(uint32_t pid, uint64_t ticks) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (Proc* p = ById(pid)) p->started = ticks;
}

uint64_t FakeProcesses::StartedAt(uint32_t pid) const {
    std::lock_guard<std::mutex> hold(m_lock);
    const Proc* p = ById(pid);
    return p ? p->started : 0;
}

void FakeProcesses::SetWindowMode(uint32_t pid, WindowMode mode) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (Proc* p = ById(pid)) p->windows = mode;
}

void FakeProcesses::Reuse(uint32_t pid, const std::string& exeName, uint64_t ticks) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (Proc* old = ById(pid)) {
        old->running = false;
        old->exitCode = 0;
    }
    Proc p;
    p.pid = pid;
    p.exeName = exeName;
    p.started = ticks;
    m_procs.push_back(p);
}

void FakeProcesses::SetOpenFails(uint32_t pid, bool fails) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (Proc* p = ById(pid)) p->openFails = fails;
}

void FakeProcesses::SetTerminateMode(uint32_t pid, TerminateMode mode) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (Proc* p = ById(pid)) p->mode = mode;
}

void FakeProcesses::SetSnapshotFails(bool fails) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_bSnapshotFails = fails;
}

void FakeProcesses::SetCritical(uint32_t pid, seam::Criticality mark) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (Proc* p = ById(pid)) p->critical = mark;
}

void FakeProcesses::End(uint32_t pid, uint32_t exitCode) {
    std::lock_guard<std::mutex> hold(m_lock);
    Proc* p = ById(pid);
    if (p && p->running) {
        p->running = false;
        p->exitCode = exitCode;
    }
}

bool FakeProcesses::IsRunning(uint32_t pid) const {
    std::lock_guard<std::mutex> hold(m_lock);
    const Proc* p = ById(pid);
    return p && p->running;
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

std::vector<uint32_t> FakeProcesses::ClosedByWindow() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_closedByWindow;
}

std::vector<uint32_t> FakeProcesses::TerminateCodes() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_terminateCodes;
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
