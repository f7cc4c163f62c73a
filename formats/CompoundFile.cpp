#include "formats/CompoundFile.h"

#include <algorithm>

#include "formats/LeBytes.h"

namespace engine {
namespace {

constexpr uint8_t kSignature[8] = {0xd0, 0xcf, 0x11, 0xe0, 0xa1, 0xb1, 0x1a, 0xe1};
constexpr size_t kHeaderFields = 512;
constexpr uint32_t kMaxRegularSector = 0xfffffffa;
constexpr uint32_t kEndOfChain = 0xfffffffe;
constexpr uint32_t kNoStream = 0xffffffff;
constexpr size_t kHeaderDifatEntries = 109;
constexpr size_t kEntrySize = 128;
constexpr unsigned kMiniSectorShift = 6;
constexpr uint8_t kTypeStream = 2;
constexpr uint8_t kTypeRoot = 5;

char16_t FoldAscii(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 0x20) : c; }

bool SameName(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

}  // namespace

bool CompoundFile::Open(const uint8_t* data, size_t size) {
    *this = CompoundFile{};
    if (size < kHeaderFields || !std::equal(kSignature, kSignature + 8, data)) return false;
    const uint16_t major = LeU16(data + 0x1a);
    m_nSectorShift = LeU16(data + 0x1e);
    // Version 3 files have 512-byte sectors, version 4 files 4096-byte ones.
    if (!((major == 3 && m_nSectorShift == 9) || (major == 4 && m_nSectorShift == 12))) return false;
    if (LeU16(data + 0x20) != kMiniSectorShift) return false;
    m_bVersion4 = major == 4;
    const size_t sectorSize = size_t{1} << m_nSectorShift;
    if (size < sectorSize) return false;
    // A last sector cut short still counts; reads stop at the data's end.
    const size_t sectors = (size - sectorSize + sectorSize - 1) / sectorSize;
    m_nSectorCount = static_cast<uint32_t>(std::min<size_t>(sectors, kMaxRegularSector));
    m_pData = data;
    m_nSize = size;
    m_nMiniCutoff = LeU32(data + 0x38);
    if (!LoadFat() || !LoadDirectory()) {
        *this = CompoundFile{};
        return false;
    }
    ListRootStreams();
    return true;
}

bool CompoundFile::LoadFat() {
    const size_t sectorSize = size_t{1} << m_nSectorShift;
    const size_t perSector = sectorSize / 4;
    const uint32_t fatSectors = LeU32(m_pData + 0x2c);
    // Each table sector is a sector of the file: more than that is a lie.
    if (fatSectors > m_nSectorCount) return false;

    std::vector<uint32_t> fatIds;
    fatIds.reserve(fatSectors);
    for (size_t i = 0; i < kHeaderDifatEntries && fatIds.size() < fatSectors; ++i) {
        fatIds.push_back(LeU32(m_pData + 0x4c + 4 * i));
    }
    uint32_t difat = LeU32(m_pData + 0x44);
    for (uint32_t steps = 0; fatIds.size() < fatSectors; ++steps) {
        if (difat >= m_nSectorCount || steps >= m_nSectorCount) return false;
        const size_t at = (static_cast<size_t>(difat) + 1) << m_nSectorShift;
        if (!Fits(m_nSize, at, sectorSize)) return false;
        for (size_t i = 0; i + 1 < perSector && fatIds.size() < fatSectors; ++i) {
            fatIds.push_back(LeU32(m_pData + at + 4 * i));
        }
        difat = LeU32(m_pData + at + sectorSize - 4);
    }

    m_vecFat.reserve(fatIds.size() * perSector);
    for (uint32_t id : fatIds) {
        if (id >= m_nSectorCount) return false;
        const size_t at = (static_cast<size_t>(id) + 1) << m_nSectorShift;
        if (!Fits(m_nSize, at, sectorSize)) return false;
        for (size_t i = 0; i < perSector; ++i) m_vecFat.push_back(LeU32(m_pData + at + 4 * i));
    }
    return true;
}

bool CompoundFile::ReadBigChain(uint32_t start, uint64_t length, std::vector<uint8_t>& out) const {
    out.clear();
    const size_t sectorSize = size_t{1} << m_nSectorShift;
    // No chain in this file can hold more than all of its sectors.
    if (length > static_cast<uint64_t>(m_nSectorCount) * sectorSize) return false;
    out.reserve(static_cast<size_t>(length));
    // A sector met twice is a loop: the bytes would repeat, not be the stream's.
    std::vector<bool> seen(m_nSectorCount, false);
    uint32_t sector = start;
    while (out.size() < length) {
        if (sector >= m_nSectorCount || sector >= m_vecFat.size() || seen[sector]) return false;
        seen[sector] = true;
        const size_t at = (static_cast<size_t>(sector) + 1) << m_nSectorShift;
        const size_t want = std::min<size_t>(sectorSize, static_cast<size_t>(length) - out.size());
        if (!Fits(m_nSize, at, want)) return false;
        out.insert(out.end(), m_pData + at, m_pData + at + want);
        sector = m_vecFat[sector];
    }
    return true;
}

bool CompoundFile::ReadMiniChain(uint32_t start, uint64_t length, std::vector<uint8_t>& out) const {
    out.clear();
    const size_t miniSize = size_t{1} << kMiniSectorShift;
    const size_t miniCount = m_vecMiniStream.size() / miniSize;
    if (length > static_cast<uint64_t>(miniCount) * miniSize) return false;
    out.reserve(static_cast<size_t>(length));
    std::vector<bool> seen(miniCount, false);
    uint32_t sector = start;
    while (out.size() < length) {
        if (sector >= miniCount || sector >= m_vecMiniFat.size() || seen[sector]) return false;
        seen[sector] = true;
        const size_t at = static_cast<size_t>(sector) * miniSize;
        const size_t want = std::min<size_t>(miniSize, static_cast<size_t>(length) - out.size());
        out.insert(out.end(), m_vecMiniStream.begin() + at, m_vecMiniStream.begin() + at + want);
        sector = m_vecMiniFat[sector];
    }
    return true;
}

bool CompoundFile::LoadDirectory() {
    const size_t sectorSize = size_t{1} << m_nSectorShift;
    // The directory and the mini sector table give no byte size: they run
    // to the end of their chains, which the walk caps at the sector count.
    auto wholeChain = [&](uint32_t start, std::vector<uint8_t>& out) {
        out.clear();
        uint32_t sector = start;
        for (uint32_t steps = 0; sector != kEndOfChain; ++steps) {
            if (sector >= m_nSectorCount || sector >= m_vecFat.size() || steps >= m_nSectorCount) return false;
            const size_t at = (static_cast<size_t>(sector) + 1) << m_nSectorShift;
            if (!Fits(m_nSize, at, sectorSize)) return false;
            out.insert(out.end(), m_pData + at, m_pData + at + sectorSize);
            sector = m_vecFat[sector];
        }
        return true;
    };

    std::vector<uint8_t> dir;
    if (!wholeChain(LeU32(m_pData + 0x30), dir) || dir.size() < kEntrySize) return false;
    const size_t count = dir.size() / kEntrySize;
    m_vecEntries.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* e = dir.data() + i * kEntrySize;
        DirEntry& entry = m_vecEntries[i];
        const size_t nameBytes = LeU16(e + 64);
        // The length counts the terminating unit; 32 units at most.
        if (nameBytes >= 2 && nameBytes <= 64 && nameBytes % 2 == 0) {
            for (size_t u = 0; u + 1 < nameBytes / 2; ++u) entry.name.push_back(static_cast<char16_t>(LeU16(e + 2 * u)));
        }
        entry.type = e[66];
        entry.left = LeU32(e + 68);
        entry.right = LeU32(e + 72);
        entry.child = LeU32(e + 76);
        entry.start = LeU32(e + 116);
        // Version 3 writers may leave the high half of the size undefined.
        entry.size = m_bVersion4 ? LeU64(e + 120) : LeU32(e + 120);
    }
    if (m_vecEntries[0].type != kTypeRoot) return false;

    // The mini stream and its table: a file without small streams has none,
    // and a broken one only makes those streams unreadable.
    std::vector<uint8_t> miniFat;
    if (LeU32(m_pData + 0x3c) != kEndOfChain && wholeChain(LeU32(m_pData + 0x3c), miniFat)) {
        m_vecMiniFat.reserve(miniFat.size() / 4);
        for (size_t i = 0; i + 4 <= miniFat.size(); i += 4) m_vecMiniFat.push_back(LeU32(miniFat.data() + i));
        if (!ReadBigChain(m_vecEntries[0].start, m_vecEntries[0].size, m_vecMiniStream)) m_vecMiniStream.clear();
    }
    return true;
}

void CompoundFile::ListRootStreams() {
    // The root's children form a tree through their left and right links;
    // each entry is visited once, so a link back up the tree ends the walk.
    std::vector<bool> seen(m_vecEntries.size(), false);
    std::vector<uint32_t> pending{m_vecEntries[0].child};
    seen[0] = true;
    while (!pending.empty()) {
        const uint32_t id = pending.back();
        pending.pop_back();
        if (id == kNoStream || id >= m_vecEntries.size() || seen[id]) continue;
        seen[id] = true;
        const DirEntry& entry = m_vecEntries[id];
        pending.push_back(entry.left);
        pending.push_back(entry.right);
        if (entry.type == kTypeStream && !entry.name.empty()) m_vecStreamEntries.push_back(id);
    }
    std::sort(m_vecStreamEntries.begin(), m_vecStreamEntries.end());
    for (uint32_t id : m_vecStreamEntries) m_vecStreamNames.push_back(m_vecEntries[id].name);
}

bool CompoundFile::ReadStream(const std::u16string& name, std::vector<uint8_t>& out) const {
    out.clear();
    for (uint32_t id : m_vecStreamEntries) {
        const DirEntry& entry = m_vecEntries[id];
        if (!SameName(entry.name, name)) continue;
        if (entry.size < m_nMiniCutoff) return ReadMiniChain(entry.start, entry.size, out);
        return ReadBigChain(entry.start, entry.size, out);
    }
    return false;
}

}  // namespace engine
