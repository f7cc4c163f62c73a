// Native builds convert with glibc's iconv, which knows code page 949 as CP949.
#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "seam/Text.h"

namespace seam {
namespace {

// How many bytes of the input at `src` (`left` of them) one character
// takes, to step over one that the target cannot spell.
using CharSize = size_t (*)(const unsigned char* src, size_t left);

size_t OneByte(const unsigned char*, size_t) { return 1; }

size_t Utf8Char(const unsigned char* src, size_t left) {
    size_t n = 1;
    if (src[0] >= 0xF0) n = 4;
    else if (src[0] >= 0xE0) n = 3;
    else if (src[0] >= 0xC0) n = 2;
    // Only the continuation bytes that are there belong to the character.
    size_t k = 1;
    while (k < n && k < left && (src[k] & 0xC0) == 0x80) ++k;
    return k;
}

size_t Utf16LeChar(const unsigned char* src, size_t left) {
    if (left < 2) return left;
    const unsigned unit = src[0] | (src[1] << 8);
    if (unit >= 0xD800 && unit <= 0xDBFF && left >= 4) {
        const unsigned next = src[2] | (src[3] << 8);
        if (next >= 0xDC00 && next <= 0xDFFF) return 4;
    }
    return 2;
}

// Opening a conversion costs more than converting a line (glibc looks the
// pair up in its module cache each time), and a browser profile converts
// tens of thousands of titles: each thread keeps one descriptor a direction
// for as long as it runs. A descriptor carries state, so threads never share one.
class CConversions {
public:
    CConversions() = default;
    CConversions(const CConversions&) = delete;
    CConversions& operator=(const CConversions&) = delete;
    ~CConversions() {
        for (const Open& open : m_open) iconv_close(open.cd);
    }

    // The thread's descriptor from `from` to `to` (names that outlive the
    // thread: the callers' literals), reset to its initial state; (iconv_t)-1
    // when glibc has no such conversion.
    iconv_t Get(const char* to, const char* from) {
        for (const Open& open : m_open) {
            if (std::strcmp(open.to, to) == 0 && std::strcmp(open.from, from) == 0) {
                iconv(open.cd, nullptr, nullptr, nullptr, nullptr);
                return open.cd;
            }
        }
        const iconv_t cd = iconv_open(to, from);
        if (cd != kNone) m_open.push_back({to, from, cd});
        return cd;
    }

    static inline const iconv_t kNone = reinterpret_cast<iconv_t>(-1);

private:
    struct Open {
        const char* to;
        const char* from;
        iconv_t cd;
    };
    std::vector<Open> m_open;
};

std::string Convert(const char* to, const char* from, std::string_view in, CharSize charSize) {
    thread_local CConversions conversions;
    const iconv_t cd = conversions.Get(to, from);
    if (cd == CConversions::kNone) return std::string(in);
    std::string out;
    std::vector<char> buf(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    while (srcLeft > 0) {
        char* dst = buf.data();
        size_t dstLeft = buf.size();
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf.data(), dst - buf.data());
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            // Unconvertible or broken input: one '?' for the character.
            // glibc's CP949 decoder may already have stepped over the bad
            // bytes, up to the end of the input; never step past that.
            out.push_back('?');
            if (srcLeft == 0) break;
            size_t skip = charSize(reinterpret_cast<const unsigned char*>(src), srcLeft);
            if (skip == 0 || skip > srcLeft) skip = srcLeft;
            src += skip;
            srcLeft -= skip;
        }
    }
    return out;
}

}  // namespace

std::string Cp949FromUtf8(std::string_view utf8) { return Convert("CP949", "UTF-8", utf8, Utf8Char); }
std::string Utf8FromCp949(std::string_view cp949) { return Convert("UTF-8", "CP949", cp949, OneByte); }

std::string Cp949FromUtf16(std::u16string_view utf16) {
    std::string bytes;
    bytes.reserve(utf16.size() * 2);
    for (char16_t unit : utf16) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return Convert("CP949", "UTF-16LE", bytes, Utf16LeChar);
}

std::u16string Utf16FromCp949(std::string_view cp949) {
    return Utf16FromUtf8(Utf8FromCp949(cp949));
}

}  // namespace seam
