#include <windows.h>
#include <shellapi.h>

#include "seam/win32/Win32Parts.h"

namespace seam {
namespace {

class Win32Shell final : public IShell {
public:
    bool ShellOpen(const std::string& target) override {
        HINSTANCE h = ::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        // ShellExecute's old convention: above 32 is success, anything else an error code.
        return reinterpret_cast<INT_PTR>(h) > 32;
    }
};

}  // namespace

std::unique_ptr<IShell> MakeWin32Shell() { return std::make_unique<Win32Shell>(); }

}  // namespace seam
