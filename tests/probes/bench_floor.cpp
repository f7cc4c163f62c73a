// The floor the benchmark holds the program's passes against: the least work
// a pass over the same values can do through the same registry calls, with
// no window, no list and no thread hand-over.
//
//   bench_floor.exe --read KEY...    RegEnumValueA + RegQueryValueExA of every value
//   bench_floor.exe --delete KEY...  RegEnumValueA (names) + RegDeleteValueA of every value
//
// KEY is a path below HKEY_CURRENT_USER. Prints one line:
//   values=N ms=X
// Exit code 0, 1 when a key could not be opened, 2 on bad arguments.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now{}, freq{};
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&freq);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(freq.QuadPart);
}

class CKey {
public:
    explicit CKey(const char* path) {
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ | KEY_SET_VALUE, &m_hKey) != ERROR_SUCCESS)
            m_hKey = nullptr;
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

// Reads every value's name and data, as an analysis pass must.
long ReadAll(HKEY hKey) {
    long nCount = 0;
    char name[1024];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = sizeof name;
        if (::RegEnumValueA(hKey, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        DWORD type = 0, dataLen = sizeof data;
        ::RegQueryValueExA(hKey, name, nullptr, &type, data, &dataLen);
        ++nCount;
    }
    return nCount;
}

// Deletes every value; the names are listed first because deleting while
// enumerating shifts the indices.
long DeleteAll(HKEY hKey) {
    std::vector<std::string> names;
    char name[1024];
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = sizeof name;
        if (::RegEnumValueA(hKey, i, name, &nameLen, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, nameLen);
    }
    long nCount = 0;
    for (const std::string& n : names)
        if (::RegDeleteValueA(hKey, n.c_str()) == ERROR_SUCCESS) ++nCount;
    return nCount;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || (std::strcmp(argv[1], "--read") != 0 && std::strcmp(argv[1], "--delete") != 0)) {
        std::fprintf(stderr, "usage: bench_floor --read|--delete KEY...\n");
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
