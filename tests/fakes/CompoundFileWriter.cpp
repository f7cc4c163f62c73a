#include "tests/fakes/CompoundFileWriter.h"

#include <algorithm>

namespace fakes {
namespace {

constexpr uint32_t kSector = 512;
constexpr uint32_t kMiniSector = 64;
constexpr uint32_t kMiniCutoff = 4096;
constexpr uint32_t kFree = 0xffffffff;
constexpr uint32_t kEnd = 0xfffffffe;
constexpr uint32_t kFatMark = 0xfffffffd;
constexpr uint32_t kNone = 0xffffffff;
constexpr size_t kHeaderFat = 109;

void Put16(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t SectorsFor(size_t bytes, uint32_t unit) { return static_cast<uint32_t>((bytes + unit - 1) / unit); }

char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c; }

// The directory's order: shorter names first, then by upper-cased units.
bool Before(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return a.size() < b.size();
    for (size_t i = 0; i < a.size(); ++i) {
        if (Upper(a[i]) != Upper(b[i])) return Upper(a[i]) < Upper(b[i]);
    }
    return false;
}

struct Entry {
    std::u16string name;
    uint8_t type = 2;
    uint32_t left = kNone, right = kNone, child = kNone;
    uint32_t start = kEnd;
    uint64_t size = 0;
};

// A balanced tree over the sorted siblings [from, to): its root's index.
uint32_t Balance(std::vector<Entry>& entries, const std::vector<uint32_t>& order, size_t from, size_t to) {
    if (from >= to) return kNone;
    const size_t mid = from + (to - from) / 2;
    Entry& node = entries[order[mid]];
    node.left = Balance(entries, order, from, mid);
    node.right = Balance(entries, order, mid + 1, to);
    return order[mid];
}

}  // namespace

std::vector<uint8_t> WriteCompoundFile(const std::vector<CompoundStream>& streams) {
    // Regular sectors, in file order: directory, mini FAT, mini stream, big
    // streams; the FAT's own sectors come first, once their number is known.
    std::vector<Entry> entries(1);
    entries[0].name = u"Root Entry";
    entries[0].type = 5;
    std::vector<uint8_t> mini;
    std::vector<uint32_t> miniFat;
    std::vector<const std::vector<uint8_t>*> big;
    std::vector<uint32_t> bigEntry;
    for (const CompoundStream& stream : streams) {
        Entry entry;
        entry.name = stream.first;
        entry.size = stream.second.size();
        if (!stream.second.empty() && stream.second.size() < kMiniCutoff) {
            const uint32_t first = static_cast<uint32_t>(mini.size() / kMiniSector);
            const uint32_t count = SectorsFor(stream.second.size(), kMiniSector);
            entry.start = first;
            for (uint32_t i = 0; i < count; ++i) miniFat.push_back(i + 1 < count ? first + i + 1 : kEnd);
            mini.insert(mini.end(), stream.second.begin(), stream.second.end());
            mini.resize(size_t{first + count} * kMiniSector, 0);
        } else if (!stream.second.empty()) {
            big.push_back(&stream.second);
            bigEntry.push_back(static_cast<uint32_t>(entries.size()));
        }
        entries.push_back(std::move(entry));
    }
    std::vector<uint32_t> order;
    for (uint32_t i = 1; i < entries.size(); ++i) order.push_back(i);
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return Before(entries[a].name, entries[b].name); });
    entries[0].child = Balance(entries, order, 0, order.size());

    const uint32_t dirSectors = SectorsFor(entries.size() * 128, kSector);
    const uint32_t miniFatSectors = SectorsFor(miniFat.size() * 4, kSector);
    const uint32_t miniSectors = SectorsFor(mini.size(), kSector);
    uint32_t bigSectors = 0;
    for (const auto* data : big) bigSectors += SectorsFor(data->size(), kSector);
    const uint32_t rest = dirSectors + miniFatSectors + miniSectors + bigSectors;
    uint32_t fatSectors = 1;
    while (fatSectors * (kSector / 4) < fatSectors + rest) ++fatSectors;
    if (fatSectors > kHeaderFat) return {};  // more than this writer's tests need

    std::vector<uint32_t> fat(size_t{fatSectors} * (kSector / 4), kFree);
    uint32_t next = 0;
    for (uint32_t i = 0; i < fatSectors; ++i) fat[next++] = kFatMark;
    // A chain of `count` sectors from the next free one; its first sector.
    const auto chain = [&](uint32_t count) {
        const uint32_t first = count ? next : kEnd;
        for (uint32_t i = 0; i < count; ++i, ++next) fat[next] = i + 1 < count ? next + 1 : kEnd;
        return first;
    };
    const uint32_t dirStart = chain(dirSectors);
    const uint32_t miniFatStart = chain(miniFatSectors);
    entries[0].start = chain(miniSectors);
    entries[0].size = mini.size();
    for (size_t i = 0; i < big.size(); ++i) entries[bigEntry[i]].start = chain(SectorsFor(big[i]->size(), kSector));

    std::vector<uint8_t> out(size_t{kSector} * (1 + next), 0);
    static const uint8_t kSignature[8] = {0xd0, 0xcf, 0x11, 0xe0, 0xa1, 0xb1, 0x1a, 0xe1};
    std::copy(kSignature, kSignature + 8, out.begin());
    Put16(out, 0x18, 0x3e);
    Put16(out, 0x1a, 3);
    Put16(out, 0x1c, 0xfffe);
    Put16(out, 0x1e, 9);
    Put16(out, 0x20, 6);
    Put32(out, 0x2c, fatSectors);
    Put32(out, 0x30, dirStart);
    Put32(out, 0x38, kMiniCutoff);
    Put32(out, 0x3c, miniFatStart);
    Put32(out, 0x40, miniFatSectors);
    Put32(out, 0x44, kEnd);
    for (size_t i = 0; i < kHeaderFat; ++i) Put32(out, 0x4c + 4 * i, i < fatSectors ? static_cast<uint32_t>(i) : kFree);

    const auto at = [](uint32_t sector) { return size_t{kSector} * (sector + 1); };
    for (size_t i = 0; i < fat.size(); ++i) Put32(out, at(0) + 4 * i, fat[i]);
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        const size_t base = at(dirStart) + 128 * i;
        for (size_t c = 0; c < e.name.size() && c < 31; ++c) Put16(out, base + 2 * c, e.name[c]);
        Put16(out, base + 64, static_cast<uint32_t>(2 * (std::min<size_t>(e.name.size(), 31) + 1)));
        out[base + 66] = e.type;
        out[base + 67] = 1;  // black
        Put32(out, base + 68, e.left);
        Put32(out, base + 72, e.right);
        Put32(out, base + 76, e.child);
        Put32(out, base + 116, e.start);
        Put32(out, base + 120, static_cast<uint32_t>(e.size));
    }
    // Unused directory slots are empty entries with no siblings.
    for (size_t i = entries.size(); i < size_t{dirSectors} * 4; ++i) {
        const size_t base = at(dirStart) + 128 * i;
        Put32(out, base + 68, kNone);
        Put32(out, base + 72, kNone);
        Put32(out, base + 76, kNone);
    }
    for (size_t i = 0; i < size_t{miniFatSectors} * (kSector / 4); ++i)
        Put32(out, at(miniFatStart) + 4 * i, i < miniFat.size() ? miniFat[i] : kFree);
    if (!mini.empty()) std::copy(mini.begin(), mini.end(), out.begin() + at(entries[0].start));
    for (size_t i = 0; i < big.size(); ++i)
        std::copy(big[i]->begin(), big[i]->end(), out.begin() + at(entries[bigEntry[i]].start));
    return out;
}

}  // namespace fakes
