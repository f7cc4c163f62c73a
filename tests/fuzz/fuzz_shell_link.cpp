// Shell links on any bytes: every read stays within the data (AddressSanitizer
// sees one past it), the link's end lies within it, and the link cut at its
// own end reads the same.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/ShellLink.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    engine::ShellLinkTarget link;
    if (!engine::ReadShellLink(bytes.data(), bytes.size(), link)) return 0;
    KV_FUZZ_CHECK(size >= 0x4c);
    KV_FUZZ_CHECK(link.size <= size);
    KV_FUZZ_CHECK(link.path.find('\0') == std::string::npos);
    // A path is at most the converted form of every byte of the data.
    KV_FUZZ_CHECK(link.path.size() <= size / 2 * 3 + size);
    if (link.complete) {
        const std::vector<uint8_t> own(bytes.begin(), bytes.begin() + static_cast<long>(link.size));
        engine::ShellLinkTarget again;
        KV_FUZZ_CHECK(engine::ReadShellLink(own.data(), own.size(), again));
        KV_FUZZ_CHECK(again.complete && again.size == link.size && again.path == link.path);
    }
    return 0;
}
