// A process that does nothing until it is ended: the stand-in for a running
// program or a grid-delivery agent. Tests copy it under the executable name
// they need. It ends by itself after --seconds N (default ten minutes) so a
// test that forgets it leaves nothing behind for long.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    DWORD seconds = 600;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::strtoul(argv[i + 1], nullptr, 10);
    }
    ::Sleep(seconds * 1000);
    return 0;
}
