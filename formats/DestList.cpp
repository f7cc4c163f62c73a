#include "formats/DestList.h"

#include "formats/LeBytes.h"
#include "formats/Utf16Text.h"

namespace engine {
namespace {

constexpr size_t kHeaderSize = 32;
constexpr size_t kEntryCountOffset = 4;
constexpr size_t kPinnedCountOffset = 8;
// Fields at the same place in every version.
constexpr size_t kNumberOffset = 88;
constexpr size_t kPinOffset = 108;
// Where the path's length (in UTF-16 units) sits; the path follows it.
constexpr size_t kPathSizeOffsetV1 = 112;
constexpr size_t kPathSizeOffsetV2 = 128;
// Records of version 2 and later end with 4 bytes after the path.
constexpr size_t kTrailerV2 = 4;

std::u16string HexName(uint32_t number) {
    static const char16_t kDigits[] = u"0123456789abcdef";
    std::u16string name;
    do {
        name.insert(name.begin(), kDigits[number & 0xf]);
        number >>= 4;
    } while (number != 0);
    return name;
}

}  // namespace

bool ParseDestList(const uint8_t* data, size_t size, DestList& out) {
    out = DestList{};
    if (size == 0) return true;
    if (size < kHeaderSize) return false;
    out.version = LeU32(data);
    if (out.version < 1 || out.version > 4) return false;
    const uint32_t count = LeU32(data + kEntryCountOffset);
    out.pinnedCount = LeU32(data + kPinnedCountOffset);
    const size_t pathSizeOffset = out.version == 1 ? kPathSizeOffsetV1 : kPathSizeOffsetV2;
    const size_t trailer = out.version == 1 ? 0 : kTrailerV2;

    std::set<uint32_t> numbers;
    size_t pos = kHeaderSize;
    // Each record is read before the next is counted, so a count far above
    // what the data holds fails at the data's end.
    for (uint32_t i = 0; i < count; ++i) {
        if (!Fits(size, pos, pathSizeOffset + 2)) return false;
        const uint8_t* record = data + pos;
        const size_t units = LeU16(record + pathSizeOffset);
        const size_t length = pathSizeOffset + 2 + 2 * units + trailer;
        if (!Fits(size, pos, length)) return false;
        DestListEntry entry;
        entry.number = LeU32(record + kNumberOffset);
        if (!numbers.insert(entry.number).second) return false;
        entry.streamName = HexName(entry.number);
        entry.pinOrder = static_cast<int32_t>(LeU32(record + kPinOffset));
        entry.pinned = entry.pinOrder != -1;
        entry.path = Cp949FromUtf16Le(record + pathSizeOffset + 2, units);
        entry.offset = pos;
        entry.length = length;
        out.entries.push_back(std::move(entry));
        pos += length;
    }
    return true;
}

bool DropDestListEntries(const std::vector<uint8_t>& destList, const std::set<uint32_t>& drop,
                         std::vector<uint8_t>& out) {
    out.clear();
    DestList list;
    if (!ParseDestList(destList.data(), destList.size(), list)) return false;
    size_t found = 0;
    for (const DestListEntry& entry : list.entries) {
        if (drop.count(entry.number) == 0) continue;
        if (entry.pinned) return false;
        ++found;
    }
    if (found != drop.size()) return false;
    if (drop.empty()) {
        out = destList;
        return true;
    }

    out.assign(destList.begin(), destList.begin() + kHeaderSize);
    size_t end = kHeaderSize;
    for (const DestListEntry& entry : list.entries) {
        end = entry.offset + entry.length;
        if (drop.count(entry.number) != 0) continue;
        out.insert(out.end(), destList.begin() + entry.offset, destList.begin() + end);
    }
    // Whatever follows the last counted record is kept as Windows left it.
    out.insert(out.end(), destList.begin() + end, destList.end());
    PutLeU32(out.data() + kEntryCountOffset, static_cast<uint32_t>(list.entries.size() - found));
    return true;
}

}  // namespace engine
