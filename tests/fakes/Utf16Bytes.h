// Registry data as Windows writes a UTF-16LE string: the text, a 0x0000 unit,
// then whatever follows it in the value (a shell item, say).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fakes {

inline std::vector<uint8_t> Utf16Bytes(const std::u16string& text, const std::vector<uint8_t>& after = {}) {
    std::vector<uint8_t> out;
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
    out.insert(out.end(), after.begin(), after.end());
    return out;
}

}  // namespace fakes
