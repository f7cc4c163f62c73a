// Scopes for device contexts and GDI selections. Each pairs an acquire with
// its release in constructor and destructor, cannot be copied, and is meant
// to live on the stack of the function that painted.
//
// Index:
//   PaintScope         BeginPaint / EndPaint
//   ClientDC           GetDC / ReleaseDC
//   SelectScope        SelectObject, restoring the previous object
//   MemoryDC           CreateCompatibleDC / DeleteDC
//   OffscreenSurface   a memory DC with its own compatible bitmap selected
//
// Declare an object before the SelectScope that selects it: scopes end in
// reverse order, so the old object is back in the DC before the selected one
// is deleted.
#pragma once

#include <windows.h>

#include "win/Handles.h"

namespace win {

class PaintScope {
public:
    explicit PaintScope(HWND hWnd) : m_hWnd(hWnd) { m_hDC = ::BeginPaint(hWnd, &m_ps); }
    ~PaintScope() { ::EndPaint(m_hWnd, &m_ps); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;

    HDC Dc() const { return m_hDC; }
    const RECT& Dirty() const { return m_ps.rcPaint; }

private:
    HWND m_hWnd;  // not owned
    PAINTSTRUCT m_ps{};
    HDC m_hDC = nullptr;
};

class ClientDC {
public:
    explicit ClientDC(HWND hWnd) : m_hWnd(hWnd), m_hDC(::GetDC(hWnd)) {}
    ~ClientDC() {
        if (m_hDC) ::ReleaseDC(m_hWnd, m_hDC);
    }
    ClientDC(const ClientDC&) = delete;
    ClientDC& operator=(const ClientDC&) = delete;

    HDC Dc() const { return m_hDC; }

private:
    HWND m_hWnd;  // not owned
    HDC m_hDC;
};

class SelectScope {
public:
    SelectScope(HDC hDC, HGDIOBJ object) : m_hDC(hDC), m_hOld(object ? ::SelectObject(hDC, object) : nullptr) {}
    ~SelectScope() {
        if (m_hOld) ::SelectObject(m_hDC, m_hOld);
    }
    SelectScope(const SelectScope&) = delete;
    SelectScope& operator=(const SelectScope&) = delete;

private:
    HDC m_hDC;        // not owned
    HGDIOBJ m_hOld;   // not owned: the DC's own object, handed back
};

class MemoryDC {
public:
    explicit MemoryDC(HDC compatibleWith) : m_dc(::CreateCompatibleDC(compatibleWith)) {}

    HDC Dc() const { return m_dc.Get(); }
    explicit operator bool() const { return m_dc.Valid(); }

private:
    UniqueMemDC m_dc;
};

// An off-screen picture of w x h pixels compatible with `target`: draw into
// Dc(), then copy the whole picture out in one BitBlt, so the screen never
// shows a half-drawn state.
class OffscreenSurface {
public:
    OffscreenSurface(HDC target, int w, int h)
        : m_dc(target),
          m_bitmap(::CreateCompatibleBitmap(target, w, h)),
          m_select(m_dc.Dc(), m_bitmap.Get()),
          m_nWidth(w),
          m_nHeight(h) {}

    HDC Dc() const { return m_dc.Dc(); }
    bool Valid() const { return m_dc && m_bitmap.Valid(); }

    void CopyTo(HDC target, int x, int y) const {
        ::BitBlt(target, x, y, m_nWidth, m_nHeight, m_dc.Dc(), 0, 0, SRCCOPY);
    }

private:
    MemoryDC m_dc;
    UniqueBitmap m_bitmap;
    SelectScope m_select;
    int m_nWidth;
    int m_nHeight;
};

}  // namespace win
