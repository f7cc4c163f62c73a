// Case-insensitive comparison of code page 949 names, the way Windows
// compares registry, service and file names for ASCII letters: only single
// ASCII bytes fold; a lead byte takes its trail byte along unchanged, because
// trail bytes 0x41-0x5A are not capital letters.
#pragma once

#include <string>

namespace kv::fakes {

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

inline bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && FoldCase(a) == FoldCase(b);
}

}  // namespace kv::fakes
