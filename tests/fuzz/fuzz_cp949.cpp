// The code page 949 byte helpers on any bytes, valid or not: results stay in
// range, land on character boundaries and agree with each other.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/Cp949.h"
#include "seam/Text.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

// True when `index` starts a character when stepping from the front.
bool OnBoundary(std::string_view text, size_t index) {
    size_t i = 0;
    while (i < index) i += engine::IsCp949LeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    return i == index;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // First byte: the ASCII character and needle length to look for.
    const char c = static_cast<char>(data[0] & 0x7F);
    const size_t needleLength = 1 + data[0] % 4;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    const std::string lowered = engine::LowerAscii949(text);
    KV_FUZZ_CHECK(lowered.size() == text.size());
    KV_FUZZ_CHECK(engine::LowerAscii949(lowered) == lowered);

    const size_t last = engine::FindLastChar949(text, c);
    if (last != std::string_view::npos) {
        KV_FUZZ_CHECK(last < text.size() && text[last] == c);
        KV_FUZZ_CHECK(OnBoundary(text, last));
    }

    const std::string needle(text.substr(0, needleLength));
    bool asciiNeedle = !needle.empty();
    for (unsigned char b : needle) asciiNeedle = asciiNeedle && b < 0x80;
    if (asciiNeedle) {
        const size_t found = engine::FindText949(text, needle);
        // The needle is the text's own start, which is always a boundary.
        KV_FUZZ_CHECK(found == 0);
        const std::string_view rest = text.substr(1);
        const size_t again = engine::FindText949(rest, needle);
        if (again != std::string_view::npos) {
            KV_FUZZ_CHECK(again + needle.size() <= rest.size());
            KV_FUZZ_CHECK(rest.substr(again, needle.size()) == needle);
            KV_FUZZ_CHECK(OnBoundary(rest, again));
        }
    }

    // The seam's conversions take any bytes; a text that came from UTF-8
    // converts back to the same text.
    const std::string utf8 = seam::Utf8FromCp949(std::string(text));
    const std::string ansi = seam::Cp949FromUtf8(utf8);
    if (ansi.find('?') == std::string::npos) KV_FUZZ_CHECK(seam::Utf8FromCp949(ansi) == utf8);
    return 0;
}
