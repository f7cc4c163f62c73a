// DestList streams on any bytes: records lie end to end within the data,
// and dropping the unpinned ones keeps every pinned record byte for byte
// while dropping a pinned one is refused.
#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "formats/DestList.h"
#include "tests/fuzz/FuzzCheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    engine::DestList list;
    if (!engine::ParseDestList(bytes.data(), bytes.size(), list)) return 0;
    size_t end = 32;
    std::set<uint32_t> unpinned;
    const engine::DestListEntry* pinned = nullptr;
    for (const engine::DestListEntry& entry : list.entries) {
        KV_FUZZ_CHECK(entry.offset == end && entry.length >= 114 && entry.length <= size - entry.offset);
        KV_FUZZ_CHECK(entry.pinned == (entry.pinOrder != -1));
        KV_FUZZ_CHECK(!entry.streamName.empty() && entry.streamName.size() <= 8);
        end = entry.offset + entry.length;
        if (entry.pinned) {
            pinned = &entry;
        } else {
            unpinned.insert(entry.number);
        }
    }

    std::vector<uint8_t> out;
    KV_FUZZ_CHECK(engine::DropDestListEntries(bytes, unpinned, out));
    engine::DestList after;
    KV_FUZZ_CHECK(engine::ParseDestList(out.data(), out.size(), after));
    KV_FUZZ_CHECK(after.entries.size() == list.entries.size() - unpinned.size());
    size_t next = 0;
    for (const engine::DestListEntry& entry : list.entries) {
        if (!entry.pinned) continue;
        const engine::DestListEntry& kept = after.entries[next++];
        KV_FUZZ_CHECK(kept.number == entry.number && kept.length == entry.length);
        KV_FUZZ_CHECK(std::memcmp(out.data() + kept.offset, bytes.data() + entry.offset, entry.length) == 0);
    }
    if (pinned != nullptr) {
        KV_FUZZ_CHECK(!engine::DropDestListEntries(bytes, {pinned->number}, out));
        KV_FUZZ_CHECK(out.empty());
    }
    return 0;
}
