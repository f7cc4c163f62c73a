#include "net/update/UpdateFile.h"

#include <string>
#include <vector>

#include "seam/Text.h"

namespace net {
namespace {

bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

bool IsTrailByte(unsigned char c) {
    return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) || (c >= 0x81 && c <= 0xFE);
}

// Every byte above 0x7F starts a complete double-byte character. A broken
// sequence would be turned into some other character by the conversion to
// UTF-16 inside Windows, after these tests had looked at it.
bool IsWellFormedCp949(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) continue;
        if (!IsLeadByte(c) || i + 1 >= text.size()) return false;
        if (!IsTrailByte(static_cast<unsigned char>(text[++i]))) return false;
    }
    return true;
}

bool IsRefusedByte(unsigned char c) {
    if (c < 0x20 || c == 0x7F) return true;
    switch (c) {
    case '\\': case '/': case ':': case '<': case '>': case '"': case '|': case '?': case '*':
    case '%':
        return true;
    default:
        return false;
    }
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsAsciiNoCase(std::string_view text, std::string_view upper) {
    if (text.size() != upper.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (AsciiUpper(text[i]) != upper[i]) return false;
    return true;
}

bool StartsWithAsciiNoCase(std::string_view text, std::string_view upper) {
    return text.size() >= upper.size() && EqualsAsciiNoCase(text.substr(0, upper.size()), upper);
}

// COM and LPT ports: a digit 1-9, or the superscripts 1-3 (0xA9F6-0xA9F8 in
// code page 949), which Windows also takes as port numbers.
bool IsPortName(std::string_view stem) {
    for (std::string_view port : {std::string_view("COM"), std::string_view("LPT")}) {
        if (!StartsWithAsciiNoCase(stem, port)) continue;
        const std::string_view number = stem.substr(port.size());
        if (number.size() == 1 && number[0] >= '1' && number[0] <= '9') return true;
        if (number.size() == 2 && static_cast<unsigned char>(number[0]) == 0xA9 &&
            static_cast<unsigned char>(number[1]) >= 0xF6 && static_cast<unsigned char>(number[1]) <= 0xF8)
            return true;
    }
    return false;
}

// Windows maps a device name to the device whatever extension follows it,
// and ignores spaces before the extension ("nul .txt").
bool IsDeviceName(std::string_view name) {
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (EqualsAsciiNoCase(stem, device)) return true;
    return IsPortName(stem);
}

}  // namespace

std::string LastUrlSegment(std::string_view url) {
    const size_t slash = url.rfind('/');
    return std::string(slash == std::string_view::npos ? url : url.substr(slash + 1));
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name.size() > kMaxFileNameBytes) return false;
    if (!IsWellFormedCp949(name)) return false;
    for (char c : name)
        if (IsRefusedByte(static_cast<unsigned char>(c))) return false;
    if (name.find("..") != std::string_view::npos) return false;
    if (name.back() == '.' || name.back() == ' ') return false;
    return !IsDeviceName(name);
}

bool IsHttpUrl(std::string_view url) {
    for (std::string_view scheme : {"HTTP://", "HTTPS://"})
        if (url.size() > scheme.size() && StartsWithAsciiNoCase(url, scheme)) return true;
    return false;
}

bool IsUpdateFileName(std::string_view name) {
    if (name.size() > kMaxUpdateNameBytes || !IsPlainFileName(name)) return false;
    // The file is created by its UTF-16 name: a well-formed pair of bytes
    // that code page 949 leaves unassigned would become another character
    // there than the one tested here.
    if (seam::Cp949FromUtf16(seam::Utf16FromCp949(name)) != name) return false;
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return false;
    const std::string_view extension = name.substr(dot);
    return EqualsAsciiNoCase(extension, ".EXE") || EqualsAsciiNoCase(extension, ".MSI");
}

std::string UpdateFileName(std::string_view url) {
    if (!IsHttpUrl(url)) return std::string();
    std::string name = LastUrlSegment(url);
    return IsUpdateFileName(name) ? name : std::string();
}

std::vector<std::string> UpdateFileCandidates(const std::string& name) {
    std::vector<std::string> names{name};
    const size_t dot = name.rfind('.');
    const std::string stem = name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    for (int n = 1; n < kUpdateNameTries; ++n) names.push_back(stem + "-" + std::to_string(n) + extension);
    return names;
}

}  // namespace net
