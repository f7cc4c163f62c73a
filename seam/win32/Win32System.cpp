#include <windows.h>

#include "seam/win32/Win32Parts.h"

namespace seam {
namespace {

class Win32System final : public ISystem {
public:
    bool FileExists(const std::string& path) override {
        return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string ModulePath() override {
        char buf[MAX_PATH] = {};
        DWORD len = ::GetModuleFileNameA(nullptr, buf, MAX_PATH);
        // A path cut at MAX_PATH would name another file: report none instead.
        if (len == 0 || len >= MAX_PATH) return {};
        return std::string(buf, len);
    }

    void Sleep(uint32_t ms) override { ::Sleep(ms); }
};

}  // namespace

std::unique_ptr<ISystem> MakeWin32System() { return std::make_unique<Win32System>(); }

}  // namespace seam
