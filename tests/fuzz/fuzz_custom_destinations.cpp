// Custom jump lists on any bytes: every read stays within the data and each
// named link took at least a class id and a link header of it.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/CustomDestinations.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    std::vector<std::string> paths;
    if (!engine::CustomDestinationTargets(bytes.data(), bytes.size(), paths)) {
        KV_FUZZ_CHECK(paths.empty());
        return 0;
    }
    KV_FUZZ_CHECK(paths.size() <= size / (16 + 0x4c + 4));
    for (const std::string& path : paths) KV_FUZZ_CHECK(!path.empty() && path.find('\0') == std::string::npos);
    return 0;
}
