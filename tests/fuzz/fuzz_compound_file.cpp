// A jump list as the program reads it, on any bytes: the compound file, each
// of its streams, the DestList and the links. Reads stay within the data,
// and no stream comes out larger than the file could hold.
#include <cstdint>
#include <string>
#include <vector>

#include "formats/CompoundFile.h"
#include "formats/DestList.h"
#include "formats/ShellLink.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    engine::CompoundFile file;
    if (!file.Open(bytes.data(), bytes.size())) return 0;
    // Each name has a 128-byte directory entry somewhere in the file.
    KV_FUZZ_CHECK(file.StreamNames().size() <= size / 128);
    for (const std::u16string& name : file.StreamNames()) {
        KV_FUZZ_CHECK(!name.empty() && name.size() <= 31);
        std::vector<uint8_t> stream;
        if (!file.ReadStream(name, stream)) {
            KV_FUZZ_CHECK(stream.empty() || stream.size() <= size);
            continue;
        }
        KV_FUZZ_CHECK(stream.size() <= size);
        if (name == u"DestList") {
            engine::DestList list;
            engine::ParseDestList(stream.data(), stream.size(), list);
        } else {
            engine::ShellLinkTarget link;
            if (engine::ReadShellLink(stream.data(), stream.size(), link)) KV_FUZZ_CHECK(link.size <= stream.size());
        }
    }
    return 0;
}
