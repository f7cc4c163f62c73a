// Owners for Win32 handles. One template with a traits class per handle
// kind; an owner closes its handle in its destructor, cannot be copied (a copy
// would close twice) and can be moved, attached and detached.
//
// Index:
//   ScopedHandle<Traits>       the template
//   UniqueHandle               kernel objects whose "none" is NULL (OpenProcess, CreateMutex, threads)
//   UniqueFileHandle           kernel objects whose "none" is INVALID_HANDLE_VALUE (toolhelp snapshots, files)
//   UniqueFindHandle           FindFirstFile searches (FindClose)
//   UniqueKey                  HKEY
//   UniqueServiceHandle        SC_HANDLE
//   UniqueInternetHandle       HINTERNET
//   UniqueGdi<T>               HBITMAP, HFONT, HRGN, HBRUSH (DeleteObject)
//   UniqueMemDC                memory device contexts (DeleteDC)
//   UniqueMenu                 HMENU (DestroyMenu)
//   UniqueCom<T>               a COM interface pointer (Release)
#pragma once

#include <windows.h>
#include <wininet.h>

#include <utility>

namespace win {

template <typename Traits>
class ScopedHandle {
public:
    using Type = typename Traits::Type;

    ScopedHandle() = default;
    explicit ScopedHandle(Type h) : m_h(h) {}
    ~ScopedHandle() { Reset(); }

    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ScopedHandle(ScopedHandle&& other) noexcept : m_h(other.Detach()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }

    Type Get() const { return m_h; }
    bool Valid() const { return m_h != Traits::Empty(); }
    explicit operator bool() const { return Valid(); }

    // Closes what is held and takes `h`.
    void Reset(Type h = Traits::Empty()) {
        if (Valid()) Traits::Close(m_h);
        m_h = h;
    }
    void Attach(Type h) { Reset(h); }
    Type Detach() {
        Type h = m_h;
        m_h = Traits::Empty();
        return h;
    }
    // For out-parameters: closes what is held and hands out the slot.
    Type* Put() {
        Reset();
        return &m_h;
    }

private:
    Type m_h = Traits::Empty();
};

struct KernelTraits {
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct KernelFileTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::CloseHandle(h); }
};
struct FindTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { ::FindClose(h); }
};
struct KeyTraits {
    using Type = HKEY;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::RegCloseKey(h); }
};
struct ServiceTraits {
    using Type = SC_HANDLE;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::CloseServiceHandle(h); }
};
struct InternetTraits {
    using Type = HINTERNET;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::InternetCloseHandle(h); }
};
template <typename T>
struct GdiTraits {
    using Type = T;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DeleteObject(h); }
};
struct MemDCTraits {
    using Type = HDC;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DeleteDC(h); }
};
struct MenuTraits {
    using Type = HMENU;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { ::DestroyMenu(h); }
};

template <typename T>
struct ComTraits {
    using Type = T*;
    static Type Empty() { return nullptr; }
    static void Close(Type h) { h->Release(); }
};

using UniqueHandle = ScopedHandle<KernelTraits>;
using UniqueFileHandle = ScopedHandle<KernelFileTraits>;
using UniqueFindHandle = ScopedHandle<FindTraits>;
using UniqueKey = ScopedHandle<KeyTraits>;
using UniqueServiceHandle = ScopedHandle<ServiceTraits>;
using UniqueInternetHandle = ScopedHandle<InternetTraits>;
template <typename T>
using UniqueGdi = ScopedHandle<GdiTraits<T>>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueRegion = UniqueGdi<HRGN>;
using UniqueMemDC = ScopedHandle<MemDCTraits>;
using UniqueMenu = ScopedHandle<MenuTraits>;
template <typename T>
using UniqueCom = ScopedHandle<ComTraits<T>>;

}  // namespace win
