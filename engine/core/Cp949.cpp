#include "engine/core/Cp949.h"

namespace engine {
namespace {

// Length of the character starting at `i`: 2 for a lead byte with a byte
// after it, else 1 (a lead byte cut off at the end stands alone).
size_t CharLength(std::string_view text, size_t i) {
    return IsCp949LeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

}  // namespace

std::string LowerAscii949(std::string_view text) {
    std::string out(text);
    for (size_t i = 0; i < out.size();) {
        const size_t n = CharLength(out, i);
        if (n == 1 && out[i] >= 'A' && out[i] <= 'Z') out[i] = static_cast<char>(out[i] - 'A' + 'a');
        i += n;
    }
    return out;
}

size_t FindLastChar949(std::string_view text, char c) {
    size_t found = std::string_view::npos;
    for (size_t i = 0; i < text.size();) {
        const size_t n = CharLength(text, i);
        if (n == 1 && text[i] == c) found = i;
        i += n;
    }
    return found;
}

size_t FindText949(std::string_view text, std::string_view needle) {
    if (needle.empty()) return 0;
    for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        if (text.compare(i, needle.size(), needle) == 0) return i;
    }
    return std::string_view::npos;
}

}  // namespace engine
