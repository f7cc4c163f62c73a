// A real Windows service for the GRID tests: own process, accepts the stop
// control and reports SERVICE_STOP_PENDING for a chosen time first.
//
//   test_service.exe --name NAME [--pending-ms N] [--lifetime-s N] [--stop refuse|ignore]
//
// --stop refuse: the service does not accept the stop control, so
// ControlService fails; --stop ignore: it accepts the control and goes on
// RUNNING. Either way only its lifetime or its process's end stops it.
//
// N = 0 stops at once (STOPPED is reported from the control handler itself,
// so the first status query after ControlService already sees it); N = -1
// never leaves STOP_PENDING. Either way the process ends by itself after
// --lifetime-s seconds (default five minutes) so no test can leave it behind.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string g_strName = "KestravinTestService";
long g_nPendingMs = 0;
bool g_bRefuseStop = false;
bool g_bIgnoreStop = false;
DWORD g_nLifetimeMs = 5 * 60 * 1000;

SERVICE_STATUS_HANDLE g_hStatus = nullptr;
HANDLE g_hStopEvent = nullptr;  // created in ServiceMain, lives as long as the process
DWORD g_nCheckPoint = 0;

void Report(DWORD state, DWORD waitHint = 0) {
    SERVICE_STATUS status;
    ZeroMemory(&status, sizeof status);
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING && !g_bRefuseStop ? SERVICE_ACCEPT_STOP : 0;
    status.dwWin32ExitCode = NO_ERROR;
    status.dwCheckPoint = (state == SERVICE_STOP_PENDING || state == SERVICE_START_PENDING) ? ++g_nCheckPoint : 0;
    status.dwWaitHint = waitHint;
    ::SetServiceStatus(g_hStatus, &status);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID) {
    if (control == SERVICE_CONTROL_STOP) {
        if (g_bRefuseStop) return ERROR_CALL_NOT_IMPLEMENTED;
        if (g_bIgnoreStop) return NO_ERROR;
        if (g_nPendingMs == 0) {
            Report(SERVICE_STOPPED);
        } else {
            Report(SERVICE_STOP_PENDING, 2000);
        }
        ::SetEvent(g_hStopEvent);
        return NO_ERROR;
    }
    if (control == SERVICE_CONTROL_INTERROGATE) return NO_ERROR;
    return ERROR_CALL_NOT_IMPLEMENTED;
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
    g_hStopEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_hStatus = ::RegisterServiceCtrlHandlerExA(g_strName.c_str(), Handler, nullptr);
    if (!g_hStatus || !g_hStopEvent) return;
    Report(SERVICE_RUNNING);

    DWORD start = ::GetTickCount();
    if (::WaitForSingleObject(g_hStopEvent, g_nLifetimeMs) == WAIT_OBJECT_0 && g_nPendingMs != 0) {
        // Keep STOP_PENDING fresh (new checkpoints) until the time is up.
        DWORD pending = g_nPendingMs < 0 ? g_nLifetimeMs : static_cast<DWORD>(g_nPendingMs);
        DWORD since = ::GetTickCount();
        while (::GetTickCount() - since < pending && ::GetTickCount() - start < g_nLifetimeMs) {
            ::Sleep(100);
            Report(SERVICE_STOP_PENDING, 2000);
        }
    }
    Report(SERVICE_STOPPED);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--name") == 0) g_strName = argv[i + 1];
        if (std::strcmp(argv[i], "--pending-ms") == 0) g_nPendingMs = std::strtol(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--stop") == 0) {
            g_bRefuseStop = std::strcmp(argv[i + 1], "refuse") == 0;
            g_bIgnoreStop = std::strcmp(argv[i + 1], "ignore") == 0;
        }
        if (std::strcmp(argv[i], "--lifetime-s") == 0)
            g_nLifetimeMs = std::strtoul(argv[i + 1], nullptr, 10) * 1000;
    }
    SERVICE_TABLE_ENTRYA table[] = {{&g_strName[0], ServiceMain}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
