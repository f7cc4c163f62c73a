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

    // Asked once: the answer cannot change while the program runs.
    std::string WineVersion() override {
        static const std::string s_strVersion = AskNtdllForWine();
        return s_strVersion;
    }

private:
    static std::string AskNtdllForWine() {
        using WineGetVersion = const char*(CDECL*)();
        HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");  // mapped into every process
        const auto getVersion = ntdll ? reinterpret_cast<WineGetVersion>(reinterpret_cast<void*>(
                                            ::GetProcAddress(ntdll, "wine_get_version")))
                                      : nullptr;
        if (!getVersion) return {};
        const char* text = getVersion();
        // The export alone says Wine; a version text that says nothing must not say Windows.
        return text && *text ? std::string(text) : std::string("unknown");
    }
};

}  // namespace

std::unique_ptr<ISystem> MakeWin32System() { return std::make_unique<Win32System>(); }

}  // namespace seam
