// The service control manager through advapi32. Manager and service handles
// handed to the engine are SC_HANDLEs carried as SvcHandle; the engine gives
// each back through Close.
#include <windows.h>

#include "seam/win32/Win32Parts.h"

namespace seam {
namespace {

SC_HANDLE AsSc(SvcHandle h) { return reinterpret_cast<SC_HANDLE>(h); }

class Win32Services final : public IServices {
public:
    SvcHandle OpenManager() override {
        return reinterpret_cast<SvcHandle>(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    }

    SvcHandle OpenService(SvcHandle manager, const std::string& name) override {
        if (!manager) return 0;
        return reinterpret_cast<SvcHandle>(::OpenServiceA(AsSc(manager), name.c_str(), SERVICE_ALL_ACCESS));
    }

    bool ControlStop(SvcHandle service) override {
        SERVICE_STATUS status;
        ZeroMemory(&status, sizeof status);
        return ::ControlService(AsSc(service), SERVICE_CONTROL_STOP, &status) != FALSE;
    }

    bool QueryState(SvcHandle service, uint32_t& state) override {
        SERVICE_STATUS status;
        ZeroMemory(&status, sizeof status);
        if (!::QueryServiceStatus(AsSc(service), &status)) return false;
        state = status.dwCurrentState;
        return true;
    }

    void Close(SvcHandle handle) override {
        if (handle) ::CloseServiceHandle(AsSc(handle));
    }
};

}  // namespace

std::unique_ptr<IServices> MakeWin32Services() { return std::make_unique<Win32Services>(); }

}  // namespace seam
