// The binary names of Explorer's and the file dialogs' lists on any bytes:
// a shell item list (its last name and its full path) and a leading UTF-16
// name are read within the data only
// (AddressSanitizer sees any read past it), and what comes out is bounded by
// what went in.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/ShellItems.h"
#include "formats/Utf16Text.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so that one byte past the end is outside the block.
    const std::vector<uint8_t> bytes(data, data + size);

    std::string name;
    if (engine::ShellItemListFileName(bytes.data(), bytes.size(), name)) {
        KV_FUZZ_CHECK(!name.empty());
        // A UTF-16 unit becomes at most three bytes: two of a code page 949
        // character, or a '?' for each UTF-8 byte the native converter skips.
        KV_FUZZ_CHECK(name.size() <= size / 2 * 3);
        KV_FUZZ_CHECK(name.find('\0') == std::string::npos);
    }

    std::string path;
    if (engine::ShellItemListPath(bytes.data(), bytes.size(), path)) {
        // A drive and its backslash at least; every name within the data.
        KV_FUZZ_CHECK(path.size() >= 2 && path.size() <= size / 2 * 3 + size);
        KV_FUZZ_CHECK(path.find('\0') == std::string::npos);
    }

    std::string leading;
    if (engine::LeadingUtf16Name(bytes, leading)) {
        KV_FUZZ_CHECK(!leading.empty());
        KV_FUZZ_CHECK(leading.size() <= size / 2 * 3);
        KV_FUZZ_CHECK(leading.find('\0') == std::string::npos);
    }
    return 0;
}
