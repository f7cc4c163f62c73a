// The contract suite's Windows side: the real registry, processes, service
// manager and WinINet, with helpers that build what a test needs and take it
// all down again when the fixture ends.
//
// Index:
//   RemoveKeyTree        deletes a scratch key with everything below it
//   IdleProcesses        copies of idle_process.exe started under chosen names
//   TestServices         services of test_service.exe, installed and started
//   ScratchFiles         a temporary folder, and hold_file.exe holding files in it
//   Win32Contract        the ContractPlatform
#include <windows.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "seam/win32/Win32Platform.h"
#include "tests/contract/ContractPlatform.h"
#include "win/Handles.h"

namespace contract {
namespace {

constexpr const char* kScratchRoot = "Software\\KestravinContract";
// Bounds for taking things down; a test that fails must not hang the suite.
constexpr DWORD kProcessEndMs = 5000;
constexpr DWORD kServiceStartMs = 15000;
constexpr DWORD kServiceStopMs = 15000;
constexpr DWORD kPollMs = 50;

std::string ProgramDir() {
    char buf[MAX_PATH] = {};
    DWORD len = ::GetModuleFileNameA(nullptr, buf, MAX_PATH);
    std::string path(buf, len < MAX_PATH ? len : 0);
    return path.substr(0, path.find_last_of('\\') + 1);
}

// Wine hands out the same few process ids run after run: the tick count keeps
// a tag from meeting what an earlier, interrupted run left behind.
std::string UniqueTag() {
    static LONG s_nNext = 0;
    return std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount()) + "-" +
           std::to_string(::InterlockedIncrement(&s_nNext));
}

bool MakeDir(const std::string& dir) {
    return ::CreateDirectoryA(dir.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

// Depth first: a key's children go before the key.
void RemoveKeyTree(HKEY root, const std::string& path) {
    {
        win::UniqueKey key;
        if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS) return;
        char name[MAX_PATH];
        std::vector<std::string> children;
        for (DWORD i = 0; ::RegEnumKeyA(key.Get(), i, name, sizeof name) == ERROR_SUCCESS; ++i)
            children.push_back(name);
        for (const auto& child : children) RemoveKeyTree(root, path + "\\" + child);
    }
    ::RegDeleteKeyA(root, path.c_str());
}

std::wstring Widen(UINT codePage, const std::string& text) {
    if (text.empty()) return std::wstring();
    int n = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

bool ProcessListed(DWORD pid) {
    win::UniqueFileHandle snap(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snap) return false;
    PROCESSENTRY32 entry;
    ZeroMemory(&entry, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL ok = ::Process32First(snap.Get(), &entry); ok; ok = ::Process32Next(snap.Get(), &entry)) {
        if (entry.th32ProcessID == pid) return true;
    }
    return false;
}

struct WindowSearch {
    DWORD pid;
    bool found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && ::IsWindowVisible(window)) search->found = true;
    return !search->found;
}

bool HasVisibleWindow(DWORD pid) {
    WindowSearch search{pid, false};
    ::EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class IdleProcesses {
public:
    IdleProcesses() {
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        m_strRoot = std::string(temp) + "KestravinContract-" + UniqueTag();
    }
    ~IdleProcesses() {
        for (auto& process : m_processes) {
            ::TerminateProcess(process.Get(), 1);
            ::WaitForSingleObject(process.Get(), kProcessEndMs);
        }
        m_processes.clear();
        // An ended process may hold its image for a moment: retry, within bounds.
        for (DWORD waited = 0; waited < kProcessEndMs; waited += kPollMs) {
            bool left = false;
            for (const auto& file : m_files)
                left |= !::DeleteFileA(file.c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND;
            for (auto it = m_dirs.rbegin(); it != m_dirs.rend(); ++it)
                left |= !::RemoveDirectoryA(it->c_str()) && ::GetLastError() != ERROR_FILE_NOT_FOUND;
            if (!left) break;
            ::Sleep(kPollMs);
        }
    }
    IdleProcesses(const IdleProcesses&) = delete;
    IdleProcesses& operator=(const IdleProcesses&) = delete;

    // `window`: the copy shows a window, and Start returns once it is there.
    uint32_t Start(const std::string& exeName, bool window) {
        // One folder per copy: two copies of one name can run side by side.
        std::string dir = m_strRoot + "\\" + std::to_string(m_dirs.size());
        if (m_dirs.empty()) {
            if (!MakeDir(m_strRoot)) return 0;
            m_dirs.push_back(m_strRoot);
        }
        if (!MakeDir(dir)) return 0;
        m_dirs.push_back(dir);
        std::string exe = dir + "\\" + exeName;
        if (!::CopyFileA((ProgramDir() + "idle_process.exe").c_str(), exe.c_str(), FALSE)) return 0;
        m_files.push_back(exe);

        std::string cmd = "\"" + exe + "\" --seconds 600" + (window ? " --window" : "");
        STARTUPINFOA si;
        ZeroMemory(&si, sizeof si);
        si.cb = sizeof si;
        PROCESS_INFORMATION pi;
        ZeroMemory(&pi, sizeof pi);
        if (!::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                              nullptr, &si, &pi))
            return 0;
        ::CloseHandle(pi.hThread);
        m_processes.emplace_back(pi.hProcess);
        // The caller's next snapshot must already see it.
        for (DWORD waited = 0; !ProcessListed(pi.dwProcessId) && waited < kProcessEndMs; waited += kPollMs)
            ::Sleep(kPollMs);
        for (DWORD waited = 0; window && !HasVisibleWindow(pi.dwProcessId) && waited < kProcessEndMs; waited += kPollMs)
            ::Sleep(kPollMs);
        return pi.dwProcessId;
    }

private:
    std::string m_strRoot;
    std::vector<win::UniqueHandle> m_processes;
    std::vector<std::string> m_files;
    std::vector<std::string> m_dirs;
};

bool WaitForState(SC_HANDLE service, DWORD wanted, DWORD boundMs) {
    for (DWORD waited = 0;; waited += kPollMs) {
        SERVICE_STATUS status;
        if (!::QueryServiceStatus(service, &status)) return false;
        if (status.dwCurrentState == wanted) return true;
        if (waited >= boundMs) return false;
        ::Sleep(kPollMs);
    }
}

class TestServices {
public:
    ~TestServices() {
        if (m_names.empty()) return;
        win::UniqueServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        if (!manager) return;
        for (const auto& name : m_names) Remove(manager.Get(), name, m_unstoppable.count(name) != 0);
    }

    // `stopOption` is test_service.exe's --stop argument, or empty.
    bool Install(const std::string& name, int pendingPolls, const std::string& stopOption = std::string()) {
        win::UniqueServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        if (!manager) return false;
        // Half a poll short of the count, so that the status queries a second
        // apart fall clear of the moment the service stops.
        long pendingMs = pendingPolls < 0 ? -1 : pendingPolls == 0 ? 0 : pendingPolls * 1000 - 500;
        std::string binPath = "\"" + ProgramDir() + "test_service.exe\" --name \"" + name +
                              "\" --pending-ms " + std::to_string(pendingMs);
        if (!stopOption.empty()) binPath += " --stop " + stopOption;
        win::UniqueServiceHandle service(::CreateServiceA(
            manager.Get(), name.c_str(), name.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
            SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, binPath.c_str(), nullptr, nullptr, nullptr,
            nullptr, nullptr));
        if (!service) return false;
        m_names.push_back(name);
        if (!stopOption.empty()) m_unstoppable.insert(name);
        if (!::StartServiceA(service.Get(), 0, nullptr)) return false;
        return WaitForState(service.Get(), SERVICE_RUNNING, kServiceStartMs);
    }

private:
    // `unstoppable`: no stop control will end it, so its process is ended at once.
    static void Remove(SC_HANDLE manager, const std::string& name, bool unstoppable) {
        win::UniqueServiceHandle service(::OpenServiceA(manager, name.c_str(), SERVICE_ALL_ACCESS));
        if (!service) return;
        SERVICE_STATUS status;
        if (!unstoppable) ::ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
        if (unstoppable || !WaitForState(service.Get(), SERVICE_STOPPED, kServiceStopMs)) {
            // A service told never to stop: end its process.
            SERVICE_STATUS_PROCESS info;
            DWORD needed = 0;
            if (::QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&info),
                                       sizeof info, &needed) &&
                info.dwProcessId != 0) {
                win::UniqueHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, info.dwProcessId));
                if (process) {
                    ::TerminateProcess(process.Get(), 1);
                    ::WaitForSingleObject(process.Get(), kProcessEndMs);
                }
            }
        }
        ::DeleteService(service.Get());
    }

    std::vector<std::string> m_names;
    std::set<std::string> m_unstoppable;
};

// Every path in the "\\?\" form, so folders nested past MAX_PATH are made
// and removed like any other.
std::wstring Long(const std::u16string& path) {
    std::wstring wide(path.begin(), path.end());
    return wide.compare(0, 4, L"\\\\?\\") == 0 ? wide : L"\\\\?\\" + wide;
}

// Depth first, read-only files included.
void RemoveTree(const std::wstring& dir) {
    WIN32_FIND_DATAW found;
    {
        win::UniqueFindHandle search(::FindFirstFileW((dir + L"\\*").c_str(), &found));
        if (search) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = dir + L"\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveTree(path);
                } else {
                    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                    ::DeleteFileW(path.c_str());
                }
            } while (::FindNextFileW(search.Get(), &found));
        }
    }
    ::RemoveDirectoryW(dir.c_str());
}

class ScratchFiles {
public:
    ~ScratchFiles() {
        for (auto& holder : m_holders) {
            ::TerminateProcess(holder.Get(), 1);
            ::WaitForSingleObject(holder.Get(), kProcessEndMs);
        }
        m_holders.clear();
        if (!m_strRoot.empty()) RemoveTree(Long(m_strRoot));
    }

    const std::u16string& Root() {
        if (m_strRoot.empty()) {
            wchar_t temp[MAX_PATH] = {};
            ::GetTempPathW(MAX_PATH, temp);
            const std::string tag = "KestravinFiles-" + UniqueTag();
            std::u16string root(temp, temp + lstrlenW(temp));
            root.append(tag.begin(), tag.end());
            if (::CreateDirectoryW(Long(root).c_str(), nullptr)) m_strRoot = root;
        }
        return m_strRoot;
    }

    bool Hold(const std::u16string& path) {
        const std::string event = "KestravinHold-" + UniqueTag();
        win::UniqueHandle ready(::CreateEventA(nullptr, TRUE, FALSE, event.c_str()));
        if (!ready) return false;
        const std::string exe = ProgramDir() + "hold_file.exe";
        std::wstring cmd = L"\"" + Widen(CP_ACP, exe) + L"\" 600 " + Widen(CP_ACP, event) + L" \"" +
                           std::wstring(path.begin(), path.end()) + L"\"";
        STARTUPINFOW si;
        ZeroMemory(&si, sizeof si);
        si.cb = sizeof si;
        PROCESS_INFORMATION pi;
        ZeroMemory(&pi, sizeof pi);
        if (!::CreateProcessW(nullptr, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
            return false;
        ::CloseHandle(pi.hThread);
        m_holders.emplace_back(pi.hProcess);
        // Held once the event is set; a holder that ended could not open it.
        HANDLE both[2] = {ready.Get(), pi.hProcess};
        return ::WaitForMultipleObjects(2, both, FALSE, kProcessEndMs) == WAIT_OBJECT_0;
    }

private:
    std::u16string m_strRoot;
    std::vector<win::UniqueHandle> m_holders;
};

class Win32Contract final : public ContractPlatform {
public:
    ~Win32Contract() override {
        for (const auto& key : m_scratchKeys) RemoveKeyTree(HKEY_CURRENT_USER, key);
        // Left only when no other suite is using it.
        ::RegDeleteKeyA(HKEY_CURRENT_USER, kScratchRoot);
    }

    seam::Platform& Get() override { return m_platform.Get(); }

    std::string ScratchKey() override {
        std::string key = std::string(kScratchRoot) + "\\" + UniqueTag();
        m_scratchKeys.push_back(key);
        return key;
    }

    void SetUnicodeNamedText(const std::string& path, const std::string& utf8Name,
                             const std::string& text) override {
        win::UniqueKey key;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, Widen(CP_UTF8, path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, key.Put(), nullptr) != ERROR_SUCCESS)
            return;
        const std::wstring data = Widen(949, text);
        ::RegSetValueExW(key.Get(), Widen(CP_UTF8, utf8Name).c_str(), 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(data.c_str()),
                         static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    }

    bool UnicodeNamedValueExists(const std::string& path, const std::string& utf8Name) override {
        win::UniqueKey key;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, Widen(CP_UTF8, path).c_str(), 0, KEY_READ, key.Put()) !=
            ERROR_SUCCESS)
            return false;
        return ::RegQueryValueExW(key.Get(), Widen(CP_UTF8, utf8Name).c_str(), nullptr, nullptr, nullptr,
                                  nullptr) == ERROR_SUCCESS;
    }

    uint32_t StartIdleProcess(const std::string& exeName) override { return m_processes.Start(exeName, false); }
    uint32_t StartWindowedProcess(const std::string& exeName) override { return m_processes.Start(exeName, true); }

    uint32_t ServiceProcessId(const std::string& name) override {
        win::UniqueServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
        if (!manager) return 0;
        win::UniqueServiceHandle service(::OpenServiceA(manager.Get(), name.c_str(), SERVICE_QUERY_STATUS));
        SERVICE_STATUS_PROCESS info;
        DWORD needed = 0;
        if (!service || !::QueryServiceStatusEx(service.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&info),
                                                sizeof info, &needed))
            return 0;
        return info.dwCurrentState == SERVICE_STOPPED ? 0 : info.dwProcessId;
    }

    bool InstallService(const std::string& name, int pendingPolls) override {
        return m_services.Install(name, pendingPolls);
    }

    bool InstallUnstoppableService(const std::string& name, bool acceptsStop) override {
        return m_services.Install(name, 0, acceptsStop ? "ignore" : "refuse");
    }

    bool HostIsWine() override {
        win::UniqueKey key;
        return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine", 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
    }

    std::u16string ScratchFolder() override { return m_files.Root(); }

    bool MakeFolder(const std::u16string& path) override {
        return ::CreateDirectoryW(Long(path).c_str(), nullptr) != FALSE;
    }

    bool MakeFile(const std::u16string& path, const std::string& bytes) override {
        win::UniqueFileHandle file(::CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        return bytes.empty() || (::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                             nullptr) &&
                                 written == bytes.size());
    }

    bool MakeReadOnly(const std::u16string& path) override {
        return ::SetFileAttributesW(Long(path).c_str(), FILE_ATTRIBUTE_READONLY) != FALSE;
    }

    bool HoldOpenElsewhere(const std::u16string& path) override { return m_files.Hold(path); }

    bool Exists(const std::u16string& path) override {
        return ::GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    std::string TestServerBase() override {
        const char* base = std::getenv("KV_TEST_SERVER");
        return base ? base : "";
    }

private:
    seam::Win32Platform m_platform;
    std::vector<std::string> m_scratchKeys;
    IdleProcesses m_processes;
    TestServices m_services;
    ScratchFiles m_files;
};

}  // namespace

std::unique_ptr<ContractPlatform> MakeContractPlatform() { return std::make_unique<Win32Contract>(); }

}  // namespace contract
