// Owners for the seam's handles: each closes what it holds when it leaves
// scope, so a handle is released in the function that acquired it.
#pragma once

#include "seam/Platform.h"

namespace seam {

class ScopedRegKey {
public:
    explicit ScopedRegKey(IRegistry& reg) : m_reg(reg) {}
    ~ScopedRegKey() { Reset(); }
    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;

    RegKey& Out() { Reset(); return m_key; }
    RegKey Get() const { return m_key; }
    explicit operator bool() const { return m_key != 0; }
    void Reset() { if (m_key) m_reg.CloseKey(m_key); m_key = 0; }

private:
    IRegistry& m_reg;
    RegKey m_key = 0;
};

class ScopedProcess {
public:
    ScopedProcess(IProcesses& procs, ProcHandle h) : m_procs(procs), m_h(h) {}
    ~ScopedProcess() { if (m_h) m_procs.Close(m_h); }
    ScopedProcess(const ScopedProcess&) = delete;
    ScopedProcess& operator=(const ScopedProcess&) = delete;

    ProcHandle Get() const { return m_h; }
    explicit operator bool() const { return m_h != 0; }

private:
    IProcesses& m_procs;
    ProcHandle m_h;
};

class ScopedService {
public:
    ScopedService(IServices& svcs, SvcHandle h) : m_svcs(svcs), m_h(h) {}
    ~ScopedService() { if (m_h) m_svcs.Close(m_h); }
    ScopedService(const ScopedService&) = delete;
    ScopedService& operator=(const ScopedService&) = delete;

    SvcHandle Get() const { return m_h; }
    explicit operator bool() const { return m_h != 0; }

private:
    IServices& m_svcs;
    SvcHandle m_h;
};

}  // namespace seam
