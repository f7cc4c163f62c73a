// Owners for the seam's handles. One template with a traits class per handle
// kind, as win/Handles.h has for Win32's own: an owner closes its handle
// through the interface that opened it when it leaves scope, cannot be copied
// (a copy would close twice) and can be moved, so a handle is released
// exactly once, by whoever holds it last.
//
// Index:
//   Scoped<Traits>     the template
//   ScopedRegKey       a registry key (IRegistry::CloseKey)
//   ScopedProcess      a process (IProcesses::Close)
//   ScopedService      the service manager or a service (IServices::Close)
#pragma once

#include "seam/Platform.h"

namespace seam {

template <typename Traits>
class Scoped {
public:
    using Owner = typename Traits::Owner;
    using Type = typename Traits::Type;

    // `owner` is not owned and must outlive the handle.
    explicit Scoped(Owner& owner, Type h = Type{}) : m_owner(&owner), m_h(h) {}
    ~Scoped() { Reset(); }

    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : m_owner(other.m_owner), m_h(other.Detach()) {}
    Scoped& operator=(Scoped&& other) noexcept {
        if (this != &other) {
            Reset();
            m_owner = other.m_owner;
            m_h = other.Detach();
        }
        return *this;
    }

    Type Get() const { return m_h; }
    explicit operator bool() const { return m_h != Type{}; }

    // Closes what is held and takes `h`.
    void Reset(Type h = Type{}) {
        if (m_h != Type{}) Traits::Close(*m_owner, m_h);
        m_h = h;
    }
    Type Detach() {
        Type h = m_h;
        m_h = Type{};
        return h;
    }
    // For out-parameters: closes what is held and hands out the slot.
    Type& Out() {
        Reset();
        return m_h;
    }

private:
    Owner* m_owner;  // not owned
    Type m_h;
};

struct RegKeyTraits {
    using Owner = IRegistry;
    using Type = RegKey;
    static void Close(IRegistry& registry, RegKey key) { registry.CloseKey(key); }
};
struct ProcessTraits {
    using Owner = IProcesses;
    using Type = ProcHandle;
    static void Close(IProcesses& processes, ProcHandle process) { processes.Close(process); }
};
struct ServiceTraits {
    using Owner = IServices;
    using Type = SvcHandle;
    static void Close(IServices& services, SvcHandle service) { services.Close(service); }
};

using ScopedRegKey = Scoped<RegKeyTraits>;
using ScopedProcess = Scoped<ProcessTraits>;
using ScopedService = Scoped<ServiceTraits>;

}  // namespace seam
