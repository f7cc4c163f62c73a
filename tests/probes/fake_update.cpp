// Stands in for a downloaded update installer in the version-check tests:
// when opened, it writes "update-ran.txt" next to itself (with its own path
// and command line) and exits, so a test can tell that the program opened it.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0 || length >= sizeof path) return 1;
    char marker[MAX_PATH + 32] = {};
    std::strcpy(marker, path);
    char* slash = std::strrchr(marker, '\\');
    if (!slash) return 1;
    std::strcpy(slash + 1, "update-ran.txt");
    std::FILE* f = std::fopen(marker, "w");
    if (!f) return 1;
    std::fprintf(f, "%s\n%s\n", path, ::GetCommandLineA());
    std::fclose(f);
    return 0;
}
