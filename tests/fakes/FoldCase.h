// Case-insensitive comparison of code page 949 names, the way Windows
// compares registry, service and file names for ASCII letters: only single
// ASCII bytes fold; a lead byte takes its trail byte along unchanged, because
// trail bytes 0x41-0x5A are not capital letters.
#pragma once

#include <string>

namespace fakes {

inline std::string FoldCase(const std::string& text) {
    std::string out = text;
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (c >= 0x81 && c <= 0xFE && i + 1 < out.size()) {
            ++i;  // double-byte character: both bytes stay as they are
        } else if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

// FoldCase(a) == FoldCase(b) without building either: the fakes compare names
// in linear scans, and keys with tens of thousands of values are tested.
inline bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    bool trailA = false;
    bool trailB = false;
    for (size_t i = 0; i < a.size(); ++i) {
        const unsigned char ca = static_cast<unsigned char>(a[i]);
        const unsigned char cb = static_cast<unsigned char>(b[i]);
        const unsigned char fa = !trailA && ca >= 'A' && ca <= 'Z' ? ca - 'A' + 'a' : ca;
        const unsigned char fb = !trailB && cb >= 'A' && cb <= 'Z' ? cb - 'A' + 'a' : cb;
        if (fa != fb) return false;
        trailA = !trailA && ca >= 0x81 && ca <= 0xFE && i + 1 < a.size();
        trailB = !trailB && cb >= 0x81 && cb <= 0xFE && i + 1 < b.size();
    }
    return true;
}

}  // namespace fakes
