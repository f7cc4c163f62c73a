#include <windows.h>

#include "seam/Text.h"

namespace seam {
namespace {

constexpr UINT kKorean = 949;

std::wstring Wide(UINT from, std::string_view in) {
    if (in.empty()) return {};
    int wide = MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(wide > 0 ? wide : 0), L'\0');
    if (wide > 0) MultiByteToWideChar(from, 0, in.data(), static_cast<int>(in.size()), &w[0], wide);
    return w;
}

std::string Narrow(UINT to, std::wstring_view w) {
    if (w.empty()) return {};
    int bytes = WideCharToMultiByte(to, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) WideCharToMultiByte(to, 0, w.data(), static_cast<int>(w.size()), &out[0], bytes, nullptr, nullptr);
    return out;
}

// Code page 949 holds nothing beyond the Basic Multilingual Plane: a
// surrogate pair (an emoji, say) becomes one '?', not one for each half, and
// no character is swapped for a look-alike ("best fit").
std::string Korean(std::wstring_view w) {
    std::wstring units;
    units.reserve(w.size());
    for (size_t i = 0; i < w.size(); ++i) {
        const wchar_t c = w[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
            units.push_back(L'?');
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            units.push_back(L'?');
        } else {
            units.push_back(c);
        }
    }
    if (units.empty()) return {};
    const int n = static_cast<int>(units.size());
    int bytes = WideCharToMultiByte(kKorean, WC_NO_BEST_FIT_CHARS, units.data(), n, nullptr, 0, "?", nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) WideCharToMultiByte(kKorean, WC_NO_BEST_FIT_CHARS, units.data(), n, &out[0], bytes, "?", nullptr);
    return out;
}

std::wstring_view AsWide(std::u16string_view s) {
    return std::wstring_view(reinterpret_cast<const wchar_t*>(s.data()), s.size());
}

std::u16string AsU16(const std::wstring& w) { return std::u16string(w.begin(), w.end()); }

}  // namespace

std::string Cp949FromUtf8(std::string_view utf8) { return Korean(Wide(CP_UTF8, utf8)); }
std::string Utf8FromCp949(std::string_view cp949) { return Narrow(CP_UTF8, Wide(kKorean, cp949)); }
std::string Cp949FromUtf16(std::u16string_view utf16) { return Korean(AsWide(utf16)); }
std::u16string Utf16FromCp949(std::string_view cp949) { return AsU16(Wide(kKorean, cp949)); }

}  // namespace seam
