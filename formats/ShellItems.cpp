#include "formats/ShellItems.h"

#include "formats/Utf16Text.h"

namespace engine {
namespace {

constexpr uint32_t kFileEntrySignature = 0xBEEF0004;
// A file entry item: class type, 4 bytes of size, a FAT date and time, the
// attributes, then its short name.
constexpr size_t kShortNameOffset = 14;
constexpr size_t kExtensionHeader = 8;  // size, version, signature

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) { return U16(p) | (static_cast<uint32_t>(U16(p + 2)) << 16); }

// Where the long name starts in a 0xBEEF0004 block of this version (the
// fields before it grew with Windows XP, Vista, 7 and 8); 0 when it has none.
size_t LongNameOffset(uint16_t version) {
    if (version >= 9) return 46;
    if (version == 8) return 42;
    if (version == 7) return 38;
    if (version >= 3) return 20;
    return 0;
}

// UTF-16LE units from `begin` up to a 0x0000 unit before `end`; false when
// there is no such unit, or no unit before it.
bool Utf16UpToZero(const uint8_t* item, size_t begin, size_t end, std::string& out) {
    for (size_t i = begin; i + 2 <= end; i += 2) {
        if (U16(item + i) == 0) {
            if (i == begin) return false;
            out = Cp949FromUtf16Le(item + begin, (i - begin) / 2);
            return true;
        }
    }
    return false;
}

bool BytesUpToZero(const uint8_t* item, size_t begin, size_t end, std::string& out) {
    for (size_t i = begin; i < end; ++i) {
        if (item[i] == 0) {
            if (i == begin) return false;
            out.assign(reinterpret_cast<const char*>(item + begin), i - begin);
            return true;
        }
    }
    return false;
}

bool LongName(const uint8_t* item, size_t size, std::string& out) {
    // The item's last two bytes give where its first extension block starts.
    if (size < kShortNameOffset + kExtensionHeader + 2) return false;
    const size_t block = U16(item + size - 2);
    if (block < kShortNameOffset || block + kExtensionHeader > size - 2) return false;
    if (U32(item + block + 4) != kFileEntrySignature) return false;
    const size_t blockSize = U16(item + block);
    if (blockSize < kExtensionHeader) return false;
    const size_t nameOffset = LongNameOffset(U16(item + block + 2));
    if (nameOffset == 0) return false;
    // The block ends with its own 2-byte offset; the name lies before that.
    const size_t blockEnd = block + blockSize < size ? block + blockSize : size;
    return Utf16UpToZero(item, block + nameOffset, blockEnd - 2, out);
}

bool FileEntryName(const uint8_t* item, size_t size, std::string& out) {
    const uint8_t classType = item[2];
    if ((classType & 0x70) != 0x30) return false;
    if (LongName(item, size, out)) return true;
    if (classType & 0x04) return Utf16UpToZero(item, kShortNameOffset, size, out);
    return BytesUpToZero(item, kShortNameOffset, size, out);
}

// The computer's root folder: a root item holding {20D04FE0-3AEA-1069-A2D8-08002B30309D}.
constexpr uint8_t kMyComputer[16] = {0xe0, 0x4f, 0xd0, 0x20, 0xea, 0x3a, 0x69, 0x10,
                                     0xa2, 0xd8, 0x08, 0x00, 0x2b, 0x30, 0x30, 0x9d};
constexpr size_t kRootGuidOffset = 4;
constexpr size_t kVolumeNameOffset = 3;

bool IsMyComputer(const uint8_t* item, size_t size) {
    if (item[2] != 0x1f || size < kRootGuidOffset + sizeof kMyComputer) return false;
    for (size_t i = 0; i < sizeof kMyComputer; ++i) {
        if (item[kRootGuidOffset + i] != kMyComputer[i]) return false;
    }
    return true;
}

// A volume item with its drive name (C:\ say): class 0x2?, flag 0x01 set.
bool VolumeName(const uint8_t* item, size_t size, std::string& out) {
    if ((item[2] & 0x70) != 0x20 || !(item[2] & 0x01)) return false;
    return BytesUpToZero(item, kVolumeNameOffset, size, out);
}

// Calls `visit` with each item of the list in order; false when the list
// does not parse (an item running past the data, no terminating 0 size) or
// `visit` returns false.
template <typename Visit>
bool ForEachItem(const uint8_t* data, size_t size, Visit visit) {
    size_t pos = 0;
    for (;;) {
        if (size - pos < 2) return false;  // no terminating 0 size
        const size_t itemSize = U16(data + pos);
        if (itemSize == 0) return true;
        // An item holds at least its size and class type, and all of it is data.
        if (itemSize < 3 || itemSize > size - pos) return false;
        if (!visit(data + pos, itemSize)) return false;
        pos += itemSize;
    }
}

}  // namespace

bool ShellItemListFileName(const uint8_t* data, size_t size, std::string& cp949) {
    const uint8_t* last = nullptr;
    size_t lastSize = 0;
    const bool parsed = ForEachItem(data, size, [&](const uint8_t* item, size_t itemSize) {
        last = item;
        lastSize = itemSize;
        return true;
    });
    if (!parsed || last == nullptr) return false;
    // A name of only what no conversion shows (or of nothing) names no file.
    return FileEntryName(last, lastSize, cp949) && !cp949.empty();
}

bool ShellItemListPath(const uint8_t* data, size_t size, std::string& cp949) {
    enum class Step { Root, Volume, Entries } step = Step::Root;
    std::string path;
    const bool parsed = ForEachItem(data, size, [&](const uint8_t* item, size_t itemSize) {
        std::string name;
        switch (step) {
            case Step::Root:
                step = Step::Volume;
                return IsMyComputer(item, itemSize);
            case Step::Volume:
                // Only a drive ("C:" or "C:\\") roots a path a file can be found at.
                if (!VolumeName(item, itemSize, path) || path.size() < 2 || path[1] != ':') return false;
                if (path.back() != '\\') path.push_back('\\');
                step = Step::Entries;
                return true;
            case Step::Entries:
                if (!FileEntryName(item, itemSize, name) || name.empty()) return false;
                if (path.back() != '\\') path.push_back('\\');
                path += name;
                return true;
        }
        return false;
    });
    if (!parsed || step != Step::Entries) return false;
    cp949 = path;
    return true;
}

}  // namespace engine
