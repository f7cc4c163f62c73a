#include "engine/Utf16Text.h"

#include "seam/Text.h"

namespace engine {
namespace {

uint16_t UnitAt(const uint8_t* bytes, size_t i) {
    return static_cast<uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
}

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

std::string Cp949FromUtf16Le(const uint8_t* bytes, size_t units) {
    std::string utf8;
    utf8.reserve(units);
    for (size_t i = 0; i < units; ++i) {
        const uint32_t u = UnitAt(bytes, i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
            const uint32_t low = UnitAt(bytes, i + 1);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(utf8, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                ++i;
                continue;
            }
        }
        if (u >= 0xD800 && u <= 0xDFFF) {
            utf8.push_back('?');
        } else {
            AppendUtf8(utf8, u);
        }
    }
    return seam::Cp949FromUtf8(utf8);
}

bool LeadingUtf16Name(const std::vector<uint8_t>& data, std::string& cp949) {
    const size_t units = data.size() / 2;
    for (size_t i = 0; i < units; ++i) {
        const uint16_t u = UnitAt(data.data(), i);
        if (u == 0) {
            if (i == 0) return false;
            cp949 = Cp949FromUtf16Le(data.data(), i);
            return true;
        }
        if (u < 0x20) return false;
    }
    return false;  // no terminating unit within the data
}

}  // namespace engine
