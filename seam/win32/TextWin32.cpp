#include <windows.h>

#include "seam/Text.h"

namespace seam {
namespace {

std::string Convert(UINT to, UINT from, std::string_view in) {
    if (in.empty()) return {};
    int wide = MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), &w[0], wide);
    int bytes = WideCharToMultiByte(to, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(to, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
    return out;
}

}  // namespace

std::string Cp949FromUtf8(std::string_view utf8) { return Convert(949, CP_UTF8, utf8); }
std::string Utf8FromCp949(std::string_view cp949) { return Convert(CP_UTF8, 949, cp949); }

}  // namespace seam
