// Native builds convert with glibc's iconv, which knows code page 949 as CP949.
#include <iconv.h>

#include <cerrno>
#include <vector>

#include "seam/Text.h"

namespace seam {
namespace {

std::string Convert(const char* to, const char* from, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
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
            // Unconvertible or broken input: keep going past one byte, as '?'.
            // glibc's CP949 decoder may already have stepped over the bad
            // bytes, up to the end of the input; never step past that.
            out.push_back('?');
            if (srcLeft == 0) break;
            ++src;
            --srcLeft;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string Cp949FromUtf8(std::string_view utf8) { return Convert("CP949", "UTF-8", utf8); }
std::string Utf8FromCp949(std::string_view cp949) { return Convert("UTF-8", "CP949", cp949); }

}  // namespace seam
