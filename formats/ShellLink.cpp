#include "formats/ShellLink.h"

#include "formats/LeBytes.h"
#include "formats/ShellItems.h"
#include "formats/Utf16Text.h"

namespace engine {
namespace {

constexpr size_t kHeaderSize = 0x4c;
// {00021401-0000-0000-C000-000000000046} as the header stores it.
constexpr uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr size_t kFlagsOffset = 0x14;

constexpr uint32_t kHasTargetIdList = 0x01;
constexpr uint32_t kHasLinkInfo = 0x02;
constexpr uint32_t kIsUnicode = 0x80;
// The string data fields, each present when its flag is set: name, relative
// path, working directory, arguments, icon location.
constexpr uint32_t kStringFlags[] = {0x04, 0x08, 0x10, 0x20, 0x40};

// Link info: its own size, the size of its header, its flags, then offsets
// from its start. The Unicode offsets exist when the header reaches them.
constexpr uint32_t kVolumeIdAndLocalBasePath = 0x01;
constexpr uint32_t kNetworkRelativeLink = 0x02;
constexpr size_t kLinkInfoMinHeader = 0x1c;
constexpr size_t kLinkInfoUnicodeHeader = 0x24;

// An ANSI text from `begin` up to its zero byte within `end`.
bool AnsiAt(const uint8_t* base, size_t begin, size_t end, std::string& out) {
    for (size_t i = begin; i < end; ++i) {
        if (base[i] == 0) {
            out.assign(reinterpret_cast<const char*>(base + begin), i - begin);
            return true;
        }
    }
    return false;
}

// A UTF-16LE text from `begin` up to its 0x0000 unit within `end`.
bool UnicodeAt(const uint8_t* base, size_t begin, size_t end, std::string& out) {
    for (size_t i = begin; i + 2 <= end; i += 2) {
        if (LeU16(base + i) == 0) {
            out = Cp949FromUtf16Le(base + begin, (i - begin) / 2);
            return true;
        }
    }
    return false;
}

// The base path and its suffix joined; a suffix repeats no backslash the
// base already ends with.
std::string JoinPath(const std::string& base, const std::string& suffix) {
    if (suffix.empty()) return base;
    if (!base.empty() && base.back() == '\\' && suffix.front() == '\\') return base + suffix.substr(1);
    if (!base.empty() && base.back() != '\\' && suffix.front() != '\\') return base + "\\" + suffix;
    return base + suffix;
}

// A text of the link info at `ansiAt` or, when the Unicode offset is given
// and reads, at `unicodeAt`; offsets of 0 mean the form is absent.
bool InfoText(const uint8_t* base, size_t size, size_t ansiAt, size_t unicodeAt, std::string& out) {
    if (unicodeAt != 0 && unicodeAt < size && UnicodeAt(base, unicodeAt, size, out)) return true;
    return ansiAt != 0 && ansiAt < size && AnsiAt(base, ansiAt, size, out);
}

// The share a link info's network record names (\\server\share), within
// the `size` bytes of the record at `link`; empty when it does not read.
std::string NetworkShare(const uint8_t* link, size_t size) {
    if (size < 0x14 || LeU32(link) > size) return {};
    size = LeU32(link);
    const size_t netNameAt = LeU32(link + 8);
    // A record whose names begin past 0x14 also holds their Unicode offsets.
    const size_t unicodeAt = netNameAt > 0x14 && size >= 0x18 ? LeU32(link + 0x14) : 0;
    std::string share;
    return InfoText(link, size, netNameAt, unicodeAt, share) ? share : std::string{};
}

// The path a link info block of `size` bytes at `info` names: its local base
// path, else its network share, then its common path suffix; empty when it
// names neither.
std::string LinkInfoPath(const uint8_t* info, size_t size) {
    const size_t headerSize = LeU32(info + 4);
    if (headerSize < kLinkInfoMinHeader || headerSize > size) return {};
    const uint32_t flags = LeU32(info + 8);
    const bool unicode = headerSize >= kLinkInfoUnicodeHeader;
    std::string base;
    if (flags & kVolumeIdAndLocalBasePath) {
        InfoText(info, size, LeU32(info + 0x10), unicode ? LeU32(info + 0x1c) : 0, base);
    } else if (flags & kNetworkRelativeLink) {
        const size_t linkAt = LeU32(info + 0x14);
        if (linkAt != 0 && linkAt < size) base = NetworkShare(info + linkAt, size - linkAt);
    }
    if (base.empty()) return {};
    std::string suffix;
    InfoText(info, size, LeU32(info + 0x18), unicode ? LeU32(info + 0x20) : 0, suffix);
    return JoinPath(base, suffix);
}

}  // namespace

bool ReadShellLink(const uint8_t* data, size_t size, ShellLinkTarget& out) {
    out = ShellLinkTarget{};
    if (size < kHeaderSize || LeU32(data) != kHeaderSize) return false;
    for (size_t i = 0; i < sizeof kLinkClsid; ++i) {
        if (data[4 + i] != kLinkClsid[i]) return false;
    }
    const uint32_t flags = LeU32(data + kFlagsOffset);
    size_t pos = kHeaderSize;

    std::string idListPath;
    if (flags & kHasTargetIdList) {
        if (!Fits(size, pos, 2)) return false;
        const size_t listSize = LeU16(data + pos);
        pos += 2;
        if (!Fits(size, pos, listSize)) return false;
        ShellItemListPath(data + pos, listSize, idListPath);
        pos += listSize;
    }

    std::string infoPath;
    if (flags & kHasLinkInfo) {
        if (!Fits(size, pos, 4)) return false;
        const size_t infoSize = LeU32(data + pos);
        if (infoSize < kLinkInfoMinHeader || !Fits(size, pos, infoSize)) return false;
        infoPath = LinkInfoPath(data + pos, infoSize);
        pos += infoSize;
    }
    out.path = !idListPath.empty() ? idListPath : infoPath;

    // What follows only matters for where the link ends; a link cut short
    // there still names its target.
    out.size = size;
    const size_t unitSize = (flags & kIsUnicode) ? 2 : 1;
    for (uint32_t flag : kStringFlags) {
        if (!(flags & flag)) continue;
        if (!Fits(size, pos, 2)) return true;
        const size_t length = LeU16(data + pos) * unitSize;
        if (!Fits(size, pos + 2, length)) return true;
        pos += 2 + length;
    }
    for (;;) {
        if (!Fits(size, pos, 4)) return true;
        const size_t blockSize = LeU32(data + pos);
        if (blockSize < 4) {
            out.size = pos + 4;
            out.complete = true;
            return true;
        }
        if (!Fits(size, pos, blockSize)) return true;
        pos += blockSize;
    }
}

}  // namespace engine
