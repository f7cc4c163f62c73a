// The real machine behind the seam: registry, processes, services, WinINet,
// files and the clock through their Win32 calls.
#pragma once

#include <memory>

#include "seam/Platform.h"

namespace seam {

class Win32Platform {
public:
    Win32Platform();
    ~Win32Platform();
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    Platform& Get() { return *m_platform; }

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
    std::unique_ptr<Platform> m_platform;
};

}  // namespace seam
