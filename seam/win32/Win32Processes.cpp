// Processes through toolhelp and kernel32. Process handles handed to the
// engine are HANDLEs carried as ProcHandle; the engine gives each back
// through Close.
#include <windows.h>
#include <tlhelp32.h>

#include <iterator>
#include <string>

#include "seam/win32/Win32Parts.h"
#include "win/Handles.h"

namespace seam {
namespace {

// The product is built for _WIN32_WINNT 0x0501, whose headers do not name it.
constexpr DWORD kQueryLimited = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION

// Access for asking a process: limited query first (it opens processes that
// plain query cannot, and is what IsProcessCritical needs), then plain
// query, which is all that Windows before Vista knows (it refuses the
// unknown bit).
constexpr DWORD kQueryAccess[] = {kQueryLimited, PROCESS_QUERY_INFORMATION};
// Ending a process asks for no more than ending it, waiting for it, and
// checking first that the id still names the process that was listed.
constexpr DWORD kEndAccess[] = {PROCESS_TERMINATE | SYNCHRONIZE | kQueryLimited,
                                PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_INFORMATION};
// PROCESSINFOCLASS ProcessBreakOnTermination: a ULONG, nonzero for a critical process.
constexpr ULONG kProcessBreakOnTermination = 29;

using IsProcessCriticalFn = BOOL(WINAPI*)(HANDLE, PBOOL);
using NtQueryInformationProcessFn = LONG(NTAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
using QueryFullProcessImageNameFn = BOOL(WINAPI*)(HANDLE, DWORD, LPSTR, PDWORD);

template <typename Fn>
Fn Lookup(const char* module, const char* name) {
    HMODULE h = ::GetModuleHandleA(module);  // both are mapped into every process
    return h ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(h, name))) : nullptr;
}

#ifndef _WIN64
static_assert(sizeof(PROCESSENTRY32) == 296, "the ANSI toolhelp entry of a 32-bit build");
#endif

HANDLE AsHandle(ProcHandle h) { return reinterpret_cast<HANDLE>(h); }

HANDLE OpenFirst(const DWORD* begin, const DWORD* end, DWORD pid) {
    for (const DWORD* access = begin; access != end; ++access) {
        if (HANDLE process = ::OpenProcess(*access, FALSE, pid)) return process;
    }
    return nullptr;
}

bool CreationTicks(HANDLE process, uint64_t& ticks) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return false;
    ticks = (static_cast<uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return true;
}

struct WindowsOf {
    DWORD pid;
    int asked;
};

BOOL CALLBACK CloseIfOwned(HWND window, LPARAM param) {
    auto* owner = reinterpret_cast<WindowsOf*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    // Hidden windows are the program's plumbing, not what a user would close.
    if (pid == owner->pid && ::IsWindowVisible(window) && ::PostMessageA(window, WM_CLOSE, 0, 0)) ++owner->asked;
    return TRUE;
}

class Win32Processes final : public IProcesses {
public:
    Win32Processes()
        : m_pIsProcessCritical(Lookup<IsProcessCriticalFn>("kernel32.dll", "IsProcessCritical")),
          m_pNtQueryInformationProcess(
              Lookup<NtQueryInformationProcessFn>("ntdll.dll", "NtQueryInformationProcess")),
          m_pQueryFullProcessImageName(
              Lookup<QueryFullProcessImageNameFn>("kernel32.dll", "QueryFullProcessImageNameA")) {}

    bool Snapshot(std::vector<ProcessEntry>& out) override {
        out.clear();
        win::UniqueFileHandle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
        if (!snap) return false;
        PROCESSENTRY32 entry;
        ZeroMemory(&entry, sizeof entry);
        entry.dwSize = sizeof entry;
        if (!::Process32First(snap.Get(), &entry)) return false;
        do {
            out.push_back(ProcessEntry{entry.th32ProcessID, entry.szExeFile, entry.th32ParentProcessID});
        } while (::Process32Next(snap.Get(), &entry));
        return true;
    }

    uint32_t CurrentProcessId() override { return ::GetCurrentProcessId(); }

    ProcHandle Open(uint32_t pid) override {
        return reinterpret_cast<ProcHandle>(OpenFirst(std::begin(kEndAccess), std::end(kEndAccess), pid));
    }

    bool GetExitCode(ProcHandle process, uint32_t& code) override {
        DWORD value = 0;
        if (!::GetExitCodeProcess(AsHandle(process), &value)) return false;
        code = value;
        return true;
    }

    bool Terminate(ProcHandle process, uint32_t exitCode) override {
        return ::TerminateProcess(AsHandle(process), exitCode) != FALSE;
    }

    WaitResult Wait(ProcHandle process, uint32_t timeoutMs) override {
        // INFINITE is refused: every wait the engine makes has an end.
        if (timeoutMs == INFINITE) timeoutMs = INFINITE - 1;
        switch (::WaitForSingleObject(AsHandle(process), timeoutMs)) {
            case WAIT_OBJECT_0: return WaitResult::Signalled;
            case WAIT_TIMEOUT: return WaitResult::TimedOut;
            default: return WaitResult::Failed;
        }
    }

    void Close(ProcHandle process) override {
        if (process) ::CloseHandle(AsHandle(process));
    }

    bool StartTime(ProcHandle process, uint64_t& ticks) override { return CreationTicks(AsHandle(process), ticks); }

    bool StartTimeOf(uint32_t pid, uint64_t& ticks) override {
        win::UniqueHandle process(OpenFirst(std::begin(kQueryAccess), std::end(kQueryAccess), pid));
        return process && CreationTicks(process.Get(), ticks);
    }

    bool ImageName(ProcHandle process, std::string& exeName) override {
        if (!m_pQueryFullProcessImageName) return false;
        char path[MAX_PATH * 2] = {};
        DWORD size = sizeof path;
        if (!m_pQueryFullProcessImageName(AsHandle(process), 0, path, &size)) return false;
        const std::string full(path, size);
        exeName = full.substr(full.find_last_of('\\') + 1);
        return true;
    }

    bool SessionOf(uint32_t pid, uint32_t& session) override {
        DWORD value = 0;
        if (!::ProcessIdToSessionId(pid, &value)) return false;
        session = value;
        return true;
    }

    int CloseWindows(uint32_t pid) override {
        WindowsOf owner{pid, 0};
        ::EnumWindows(CloseIfOwned, reinterpret_cast<LPARAM>(&owner));
        return owner.asked;
    }

    Criticality QueryCritical(uint32_t pid) override {
        if (!m_pIsProcessCritical && !m_pNtQueryInformationProcess) return Criticality::Unknown;
        for (DWORD access : kQueryAccess) {
            win::UniqueHandle process(::OpenProcess(access, FALSE, pid));
            if (!process) continue;
            const Criticality answer = Ask(process.Get());
            if (answer != Criticality::Unknown) return answer;
        }
        return Criticality::Unknown;
    }

private:
    Criticality Ask(HANDLE process) const {
        if (m_pIsProcessCritical) {
            BOOL critical = FALSE;
            if (m_pIsProcessCritical(process, &critical)) return critical ? Criticality::Critical : Criticality::NotCritical;
        }
        if (m_pNtQueryInformationProcess) {
            ULONG breakOnTermination = 0;
            ULONG returned = 0;
            const LONG status = m_pNtQueryInformationProcess(process, kProcessBreakOnTermination, &breakOnTermination,
                                                             sizeof breakOnTermination, &returned);
            if (status >= 0 && returned == sizeof breakOnTermination)
                return breakOnTermination ? Criticality::Critical : Criticality::NotCritical;
        }
        return Criticality::Unknown;
    }

    const IsProcessCriticalFn m_pIsProcessCritical;                  // null where kernel32 lacks it
    const NtQueryInformationProcessFn m_pNtQueryInformationProcess;  // null where ntdll lacks it
    const QueryFullProcessImageNameFn m_pQueryFullProcessImageName;  // null before Vista
};

}  // namespace

std::unique_ptr<IProcesses> MakeWin32Processes() { return std::make_unique<Win32Processes>(); }

}  // namespace seam
