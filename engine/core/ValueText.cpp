#include "engine/core/ValueText.h"

#include <algorithm>

#include "engine/core/Cp949.h"
#include "seam/Text.h"

namespace engine {
namespace {

// What a list cell keeps of a text (a 260-byte read buffer with its zero).
constexpr size_t kCellText = kValueBuffer - 1;

}  // namespace

std::string_view CutUtf8(std::string_view text, size_t maxBytes) {
    if (text.size() <= maxBytes) return text;
    size_t end = maxBytes;
    // Back over continuation bytes to the start of the character that does not fit.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

// ASCII is spelled alike in UTF-8 and code page 949, so a cell of it is just
// its first bytes: most addresses need no conversion.
std::string CellTextOfUtf8(std::string_view utf8) {
    const std::string_view head = utf8.substr(0, kCellText);
    for (char c : head) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return TextForCell(seam::Cp949FromUtf8(CutUtf8(utf8, kUtf8ShownBytes)));
        }
    }
    return std::string(head);
}

std::string ShownText(const seam::TraceItem& row, int column) {
    const std::string& text = row.text[static_cast<size_t>(column)];
    return (row.utf8Columns >> column) & 1 ? CellTextOfUtf8(text) : text;
}

std::string TextForCell(std::string text) {
    if (text.size() <= kCellText) return text;
    text.resize(kCellText);
    // Drop a lead byte whose trail byte was cut off.
    size_t i = 0;
    while (i < text.size()) {
        const bool lead = IsCp949LeadByte(static_cast<unsigned char>(text[i]));
        if (lead && i + 1 == text.size()) {
            text.pop_back();
            break;
        }
        i += lead ? 2 : 1;
    }
    return text;
}

std::string TextUpToZero(const std::vector<uint8_t>& data) {
    const auto end = std::find(data.begin(), data.end(), uint8_t{0});
    return std::string(data.begin(), end);
}

bool ReadValueBytes(seam::IRegistry& reg, seam::RegKey key, const std::string& name, std::vector<uint8_t>& data) {
    uint32_t type = 0;  // received, never used: every type is shown as bytes
    long r = reg.QueryValue(key, name, data, kValueBuffer, &type);
    // Beyond the last size the text stays empty (see registry::kLargerDataBuffers).
    for (uint32_t capacity : registry::kLargerDataBuffers) {
        if (r != seam::kErrMoreData) break;
        r = reg.QueryValue(key, name, data, capacity, &type);
    }
    if (r == seam::kErrSuccess) return true;
    data.clear();
    return false;
}

std::string ValueTextOf(const std::vector<uint8_t>& data) {
    // What fits the first buffer is shown whole, up to its first zero.
    if (data.size() <= kValueBuffer) return TextUpToZero(data);
    return TextForCell(TextUpToZero(data));
}

std::string ReadValueText(seam::IRegistry& reg, seam::RegKey key, const std::string& name) {
    std::vector<uint8_t> data;
    if (!ReadValueBytes(reg, key, name, data)) return std::string();
    return ValueTextOf(data);
}

}  // namespace engine
