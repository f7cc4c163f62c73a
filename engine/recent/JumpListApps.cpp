#include "engine/recent/JumpListApps.h"

#include <cstdint>

namespace engine {
namespace {

struct KnownApp {
    uint64_t id;
    const char* program;
};

// From the public AppID master list that forensic examiners keep (4n6k's
// list, with its sources: the Win4n6 list, the Windows 7 forum and later
// contributors). Ids observed on Windows 7 and 8.1 for the default install
// path; the list names no id for PotPlayer or Hancom Office.
constexpr KnownApp kKnownApps[] = {
    {0x1b4dd67f29cb1962, "Windows Explorer"},
    {0xf01b4d95cf55d32a, "Windows Explorer"},
    {0x918e0ecb43d17e23, "Notepad"},
    {0x9b9cdc69c1c24e2b, "Notepad"},
    {0x012dc1ea8e34b5a6, "Paint"},
    {0x0b3f13480c2785ae, "Paint"},
    {0x469e4a7982cea4d4, "WordPad"},
    {0xa8c43ef36da523b1, "Microsoft Word"},
    {0xadecfb853d77462a, "Microsoft Word"},
    {0xa7bd71699cd38d1c, "Microsoft Word"},
    {0x44a3621b32122d64, "Microsoft Word"},
    {0xa4a5324453625195, "Microsoft Word"},
    {0xcdf30b95c55fd785, "Microsoft Excel"},
    {0x9839aec31243a928, "Microsoft Excel"},
    {0x6e855c85de07bc6a, "Microsoft Excel"},
    {0xf0275e8685d95486, "Microsoft Excel"},
    {0xf5ac5390b9115fdb, "Microsoft PowerPoint"},
    {0x9c7cc110ff56d1bd, "Microsoft PowerPoint"},
    {0x5f6e7bc0fb699772, "Microsoft PowerPoint"},
    {0x74d7f43c1561fc1e, "Windows Media Player"},
    {0x43578521d78096c6, "Media Player Classic"},
    {0x4acae695c73a28c7, "VLC"},
    {0x9fda41b86ddcf1db, "VLC"},
    {0xe6ee34ac9913c0a9, "VLC"},
    {0xcbeb786f0132005d, "VLC"},
    {0x817bb211c92fd254, "GOM Player"},
    {0x4d8bdacf5265a04f, "KMPlayer"},
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string JumpListProgram(const std::string& fileName) {
    const size_t slash = fileName.find_last_of("\\/");
    const size_t begin = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = fileName.find('.', begin);
    const size_t end = dot == std::string::npos ? fileName.size() : dot;
    // Windows writes the id without leading zeros, so it compares as a number.
    if (end == begin || end - begin > 16) return {};
    uint64_t id = 0;
    for (size_t i = begin; i < end; ++i) {
        const int digit = HexDigit(fileName[i]);
        if (digit < 0) return {};
        id = (id << 4) | static_cast<uint64_t>(digit);
    }
    for (const KnownApp& app : kKnownApps) {
        if (app.id == id) return app.program;
    }
    return {};
}

}  // namespace engine
