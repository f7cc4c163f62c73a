#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include "seam/win32/Win32Parts.h"

namespace seam {
namespace {

class Win32Shell final : public IShell {
public:
    bool ShellOpen(const std::string& target) override {
        // The menu's version check opens the update from a worker thread of
        // its own; a file type's handler may be a COM object, so ShellExecute
        // wants COM on the calling thread. Where the thread already has it
        // (the window's), this only counts one more use, released below.
        const HRESULT hrCom = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
        HINSTANCE h = ::ShellExecuteA(nullptr, "open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        if (SUCCEEDED(hrCom)) ::CoUninitialize();
        // ShellExecute's old convention: above 32 is success, anything else an error code.
        return reinterpret_cast<INT_PTR>(h) > 32;
    }
};

}  // namespace

std::unique_ptr<IShell> MakeWin32Shell() { return std::make_unique<Win32Shell>(); }

}  // namespace seam
