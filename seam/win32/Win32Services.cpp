// The service control manager through advapi32. Manager and service handles
// handed to the engine are SC_HANDLEs carried as SvcHandle; the engine gives
// each back through Close.
#include <windows.h>

#include <vector>

#include "seam/win32/Win32Parts.h"
#include "win/Handles.h"

namespace seam {
namespace {

SC_HANDLE AsSc(SvcHandle h) { return reinterpret_cast<SC_HANDLE>(h); }

// A machine runs a few hundred services at most; this bounds the walk over
// a manager that keeps answering "more data".
constexpr int kMaxEnumCalls = 64;

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

    bool ServiceProcessIds(std::vector<uint32_t>& pids) override {
        pids.clear();
        win::UniqueServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ENUMERATE_SERVICE));
        if (!manager) return false;
        std::vector<BYTE> buffer(64 * 1024);
        DWORD resume = 0;
        for (int call = 0; call < kMaxEnumCalls; ++call) {
            DWORD needed = 0;
            DWORD count = 0;
            const BOOL done = ::EnumServicesStatusExA(manager.Get(), SC_ENUM_PROCESS_INFO, SERVICE_WIN32,
                                                      SERVICE_ACTIVE, buffer.data(), static_cast<DWORD>(buffer.size()),
                                                      &needed, &count, &resume, nullptr);
            if (!done && ::GetLastError() != ERROR_MORE_DATA) return false;
            const auto* services = reinterpret_cast<const ENUM_SERVICE_STATUS_PROCESSA*>(buffer.data());
            for (DWORD i = 0; i < count; ++i) {
                const DWORD pid = services[i].ServiceStatusProcess.dwProcessId;
                if (pid != 0) pids.push_back(pid);
            }
            if (done) return true;
            // Not one entry fitted: make room for what the manager asks.
            if (count == 0) buffer.resize(buffer.size() + needed);
        }
        return false;
    }
};

}  // namespace

std::unique_ptr<IServices> MakeWin32Services() { return std::make_unique<Win32Services>(); }

}  // namespace seam
