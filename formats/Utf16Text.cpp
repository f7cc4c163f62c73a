#include "formats/Utf16Text.h"

#include "seam/Text.h"

namespace engine {
namespace {

uint16_t UnitAt(const uint8_t* bytes, size_t i) {
    return static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
}

}  // namespace

std::string Cp949FromUtf16Le(const uint8_t* bytes, size_t units) {
    std::u16string text;
    text.reserve(units);
    for (size_t i = 0; i < units; ++i) text.push_back(static_cast<char16_t>(UnitAt(bytes, i)));
    // An unpaired surrogate spells no character: it shows as '?' like any other 949 lacks.
    return seam::Cp949FromUtf16(text);
}

bool LeadingUtf16Name(const std::vector<uint8_t>& data, std::string& cp949) {
    const size_t units = data.size() / 2;
    for (size_t i = 0; i < units; ++i) {
        const uint16_t u = UnitAt(data.data(), i);
        if (u == 0) {
            if (i == 0) return false;
            // A name of characters no conversion can show at all is no name.
            cp949 = Cp949FromUtf16Le(data.data(), i);
            return !cp949.empty();
        }
        if (u < 0x20) return false;
    }
    return false;  // no terminating unit within the data
}

}  // namespace engine
