#include "formats/CustomDestinations.h"

#include <algorithm>

#include "formats/LeBytes.h"
#include "formats/ShellLink.h"

namespace engine {
namespace {

constexpr size_t kHeaderSize = 12;
constexpr uint32_t kVersion = 2;
constexpr uint32_t kFooter = 0xbabffbab;
constexpr uint32_t kCustomCategory = 0;
constexpr uint32_t kKnownCategory = 1;
constexpr uint32_t kUserTasks = 2;
// {00021401-0000-0000-C000-000000000046}: the entry is a shell link.
constexpr uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

// Reads `count` entries from `pos`; false at the first one that cannot be
// read to its end.
bool ReadEntries(const uint8_t* data, size_t size, size_t& pos, uint32_t count, std::vector<std::string>& paths) {
    for (uint32_t i = 0; i < count; ++i) {
        if (!Fits(size, pos, sizeof kLinkClsid)) return false;
        if (!std::equal(kLinkClsid, kLinkClsid + sizeof kLinkClsid, data + pos)) return false;
        pos += sizeof kLinkClsid;
        ShellLinkTarget link;
        if (!ReadShellLink(data + pos, size - pos, link) || !link.complete) return false;
        if (!link.path.empty()) paths.push_back(link.path);
        pos += link.size;
    }
    return true;
}

}  // namespace

bool CustomDestinationTargets(const uint8_t* data, size_t size, std::vector<std::string>& paths) {
    paths.clear();
    if (size < kHeaderSize || LeU32(data) != kVersion) return false;
    const uint32_t categories = LeU32(data + 4);
    size_t pos = kHeaderSize;
    // Every category takes at least 8 bytes, so the loop ends with the data
    // whatever the count says.
    for (uint32_t c = 0; c < categories; ++c) {
        if (!Fits(size, pos, 4)) return true;
        const uint32_t type = LeU32(data + pos);
        pos += 4;
        if (type == kCustomCategory) {
            if (!Fits(size, pos, 2)) return true;
            pos += 2 + 2 * size_t{LeU16(data + pos)};
            if (!Fits(size, pos, 4)) return true;
            const uint32_t count = LeU32(data + pos);
            pos += 4;
            if (!ReadEntries(data, size, pos, count, paths)) return true;
        } else if (type == kKnownCategory) {
            pos += 4;
        } else if (type == kUserTasks) {
            if (!Fits(size, pos, 4)) return true;
            const uint32_t count = LeU32(data + pos);
            pos += 4;
            if (!ReadEntries(data, size, pos, count, paths)) return true;
        } else {
            return true;
        }
        if (!Fits(size, pos, 4) || LeU32(data + pos) != kFooter) return true;
        pos += 4;
    }
    return true;
}

}  // namespace engine
