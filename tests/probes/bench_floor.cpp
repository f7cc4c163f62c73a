// The floor the benchmark holds the program's passes against: the least work
// a bare reader or deleter of the same values does through the registry's
// calls, with no window, no list and no thread hand-over.
//
//   bench_floor.exe --read KEY...    every value's name, type and data in one RegEnumValueA
//                                    call (a second, with larger buffers, for what does
//                                    not fit them)
//   bench_floor.exe --delete KEY...  RegEnumValueA (names) + RegDeleteValueA of every value
//   bench_floor.exe --read-history   the same reads over every key of every usage-history
//                                    source, as an analysis opens them (the program's own
//                                    source table, its "*" levels and subkeys expanded
//                                    with RegEnumKeyExA); keys that are missing are skipped
//   bench_floor.exe --read-recent    the Recent folders as an analysis reads them: every
//                                    *.lnk of Recent, Office's and Hancom Office's Recent
//                                    read up to 64 KiB, the custom jump lists listed, every
//                                    automatic jump list read whole
//
// KEY is a path below HKEY_CURRENT_USER. Prints one line:
//   values=N ms=X        (for --read-recent: values=files, and bytes=B)
// Exit code 0, 1 when a key could not be opened, 2 on bad arguments.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/history/HistorySources.h"

namespace {

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now{}, freq{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&freq);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart);
}

class CKey {
public:
    explicit CKey(const char* path, HKEY hRoot = HKEY_CURRENT_USER, REGSAM access = KEY_READ | KEY_SET_VALUE) {
        if (::RegOpenKeyExA(hRoot, path, 0, access, &m_hKey) != ERROR_SUCCESS) m_hKey = nullptr;
    }
    ~CKey() {
        if (m_hKey) ::RegCloseKey(m_hKey);
    }
    CKey(const CKey&) = delete;
    CKey& operator=(const CKey&) = delete;
    HKEY Get() const { return m_hKey; }

private:
    HKEY m_hKey = nullptr;
};

// Reads every value's name and data, as an analysis pass must, each in one
// RegEnumValueA call: the least a reader can do. The first buffers are the
// program's own (260 bytes each); a value that does not fit them is read
// again into the largest ones.
long ReadAll(HKEY hKey) {
    long nCount = 0;
    static char name[32768];
    static BYTE data[1 << 20];
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = 260, type = 0, dataLen = 260;
        LONG rc = ::RegEnumValueA(hKey, i, name, &nameLen, nullptr, &type, data, &dataLen);
        if (rc == ERROR_MORE_DATA) {
            nameLen = sizeof name;
            dataLen = sizeof data;
            rc = ::RegEnumValueA(hKey, i, name, &nameLen, nullptr, &type, data, &dataLen);
        }
        // Data beyond the largest buffer still counts as a value met.
        if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) break;
        ++nCount;
    }
    return nCount;
}

// Deletes every value; the names are listed first because deleting while
// enumerating shifts the indices. Last first, as the program's list holds
// them (newest row on top): Wine keeps a key's values in one array, so each
// deletion from its front moves all the others.
long DeleteAll(HKEY hKey) {
    std::vector<std::string> names;
    char name[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = sizeof name;
        if (::RegEnumValueA(hKey, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, nameLen);
    }
    long nCount = 0;
    for (auto n = names.rbegin(); n != names.rend(); ++n)
        if (::RegDeleteValueA(hKey, n->c_str()) == ERROR_SUCCESS) ++nCount;
    return nCount;
}

std::vector<std::string> Subkeys(HKEY hRoot, const std::string& path) {
    std::vector<std::string> names;
    CKey key(path.c_str(), hRoot, KEY_READ);
    if (!key.Get()) return names;
    char name[260];
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = sizeof name;
        if (::RegEnumKeyExA(key.Get(), i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, nameLen);
    }
    return names;
}

std::string Join(const std::string& a, const std::string& b) { return a.empty() ? b : a + "\\" + b; }

// The concrete keys of a pattern: each "*" level stands for every subkey there.
void Expand(HKEY hRoot, const std::string& done, const std::string& rest, std::vector<std::string>& out) {
    const size_t star = rest.find('*');
    if (star == std::string::npos) {
        out.push_back(Join(done, rest));
        return;
    }
    std::string prefix = rest.substr(0, star);
    if (!prefix.empty() && prefix.back() == '\\') prefix.pop_back();
    const std::string parent = Join(done, prefix);
    const std::string tail = star + 2 <= rest.size() ? rest.substr(star + 2) : std::string();
    for (const std::string& name : Subkeys(hRoot, parent)) Expand(hRoot, Join(parent, name), tail, out);
}

long ReadHistory() {
    long nCount = 0;
    for (const engine::HistorySource& source : engine::HistorySources()) {
        const HKEY hRoot = source.root == seam::RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        if (source.kind == engine::HistorySourceKind::SingleValue) {
            CKey key(source.keyPath.c_str(), hRoot);
            if (!key.Get()) continue;
            BYTE data[260];
            DWORD dataLen = sizeof data;
            if (::RegQueryValueExA(key.Get(), source.valueName.c_str(), nullptr, nullptr, data, &dataLen) ==
                ERROR_SUCCESS)
                ++nCount;
            continue;
        }
        std::vector<std::string> keys;
        Expand(hRoot, std::string(), source.keyPath, keys);
        for (const std::string& path : keys) {
            CKey key(path.c_str(), hRoot);
            if (key.Get()) nCount += ReadAll(key.Get());
            if (!source.withSubkeys) continue;
            for (const std::string& name : Subkeys(hRoot, path)) {
                CKey sub(Join(path, name).c_str(), hRoot);
                if (sub.Get()) nCount += ReadAll(sub.Get());
            }
        }
    }
    return nCount;
}

// The files of `folder` whose names end in `extension` (any case), each
// read up to `limit` bytes (none: listed only); adds what was read to `bytes`.
long ReadFolder(const std::wstring& folder, const wchar_t* extension, DWORD limit, unsigned long long& bytes) {
    long nFiles = 0;
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    std::vector<BYTE> buffer;
    const size_t extLen = ::lstrlenW(extension);
    do {
        const size_t len = ::lstrlenW(found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || len <= extLen ||
            ::lstrcmpiW(found.cFileName + len - extLen, extension) != 0)
            continue;
        ++nFiles;
        if (limit == 0) continue;
        HANDLE file = ::CreateFileW((folder + L"\\" + found.cFileName).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        buffer.resize(limit);
        DWORD got = 0;
        if (::ReadFile(file, buffer.data(), limit, &got, nullptr)) bytes += got;
        ::CloseHandle(file);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return nFiles;
}

long ReadRecent(unsigned long long& bytes) {
    wchar_t recent[MAX_PATH], roaming[MAX_PATH];
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_RECENT, nullptr, SHGFP_TYPE_CURRENT, recent)) ||
        FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, roaming)))
        return 0;
    const std::wstring r = recent, a = roaming;
    long nFiles = ReadFolder(r, L".lnk", 64 * 1024, bytes);
    nFiles += ReadFolder(a + L"\\Microsoft\\Office\\Recent", L".lnk", 64 * 1024, bytes);
    nFiles += ReadFolder(a + L"\\HNC\\Office\\Recent", L".lnk", 64 * 1024, bytes);
    nFiles += ReadFolder(r + L"\\CustomDestinations", L".customDestinations-ms", 0, bytes);
    nFiles += ReadFolder(r + L"\\AutomaticDestinations", L".automaticDestinations-ms", 16 * 1024 * 1024, bytes);
    return nFiles;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--read-recent") == 0) {
        LARGE_INTEGER start{};
        ::QueryPerformanceCounter(&start);
        unsigned long long bytes = 0;
        const long nFiles = ReadRecent(bytes);
        std::printf("values=%ld bytes=%llu ms=%.1f\n", nFiles, bytes, MillisecondsSince(start));
        std::fflush(stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--read-history") == 0) {
        LARGE_INTEGER start{};
        ::QueryPerformanceCounter(&start);
        const long nValues = ReadHistory();
        std::printf("values=%ld ms=%.1f\n", nValues, MillisecondsSince(start));
        std::fflush(stdout);
        return 0;
    }
    if (argc < 3 || (std::strcmp(argv[1], "--read") != 0 && std::strcmp(argv[1], "--delete") != 0)) {
        std::fprintf(stderr, "usage: bench_floor --read|--delete KEY... | --read-history | --read-recent\n");
        return 2;
    }
    const bool bDelete = std::strcmp(argv[1], "--delete") == 0;
    LARGE_INTEGER start{};
    ::QueryPerformanceCounter(&start);
    long nValues = 0;
    for (int i = 2; i < argc; ++i) {
        CKey key(argv[i]);
        if (!key.Get()) {
            std::fprintf(stderr, "cannot open HKCU\\%s\n", argv[i]);
            return 1;
        }
        nValues += bDelete ? DeleteAll(key.Get()) : ReadAll(key.Get());
    }
    std::printf("values=%ld ms=%.1f\n", nValues, MillisecondsSince(start));
    std::fflush(stdout);
    return 0;
}
