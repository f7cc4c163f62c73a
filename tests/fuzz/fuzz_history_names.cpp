// The naming rules of the usage-history rows on any value name or data.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/core/Cp949.h"
#include "engine/history/HistoryNames.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    // A file name is the tail of its path and holds no backslash character.
    const std::string file = engine::FileNameOf(input);
    KV_FUZZ_CHECK(EndsWith(input, file));
    KV_FUZZ_CHECK(engine::FindLastChar949(file, '\\') == std::string_view::npos || file == input);
    if (file != input) KV_FUZZ_CHECK(input[input.size() - file.size() - 1] == '\\');

    // The MUI-cache path: no longer than the name, and when cut at a comma,
    // free of the quote and the at sign and of the comma itself.
    const std::string path = engine::CleanMuiCachePath(input);
    KV_FUZZ_CHECK(path.size() <= input.size());
    if (input.find(',') == std::string_view::npos) {
        KV_FUZZ_CHECK(path == input);
    } else {
        KV_FUZZ_CHECK(path.find_first_of("\"@,") == std::string::npos);
    }
    KV_FUZZ_CHECK(engine::CleanMuiCachePath(path) == path || path.find(',') != std::string::npos);

    // "C:\" found only where the text really has it.
    if (engine::NamesDriveC(input)) KV_FUZZ_CHECK(input.find("C:\\") != std::string_view::npos);
    if (input.find("C:\\") == std::string_view::npos) KV_FUZZ_CHECK(!engine::NamesDriveC(input));

    // A single value's name is the text, or its non-empty file name.
    const std::string single = engine::SingleValueName(input);
    KV_FUZZ_CHECK(single == input || (!single.empty() && single == file));
    return 0;
}
