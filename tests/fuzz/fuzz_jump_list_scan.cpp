// Analysis then cleaning of RECENT over one automatic jump list holding
// whatever the input says. A row names an unpinned entry of the list as it
// was; after cleaning, every pinned entry is still there with its record
// and its link stream byte for byte, and every entry that was listed is gone.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/recent/AutomaticJumpLists.h"
#include "formats/CompoundFile.h"
#include "formats/DestList.h"
#include "engine/core/Engine.h"
#include "engine/kinds/TraceCategories.h"
#include "tests/fakes/FakePlatform.h"
#include "tests/fakes/FakeView.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

const char16_t kList[] =
    u"C:\\Users\\김하늘\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\AutomaticDestinations\\"
    u"1b4dd67f29cb1962.automaticDestinations-ms";

struct Entry {
    bool pinned = false;
    std::vector<uint8_t> record;
    std::vector<uint8_t> link;
    bool hasLink = false;
};

// The list's entries as the file holds them; false when it holds no readable list.
bool ReadList(const std::vector<uint8_t>& file, std::map<uint32_t, Entry>& out) {
    out.clear();
    engine::CompoundFile cf;
    std::vector<uint8_t> stream;
    engine::DestList list;
    if (!cf.Open(file.data(), file.size()) || !cf.ReadStream(engine::kDestListStream, stream) ||
        !engine::ParseDestList(stream.data(), stream.size(), list)) {
        return false;
    }
    for (const auto& e : list.entries) {
        Entry& entry = out[e.number];
        entry.pinned = e.pinned;
        entry.record.assign(stream.begin() + e.offset, stream.begin() + e.offset + e.length);
        entry.hasLink = cf.ReadStream(e.streamName, entry.link);
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    GTEST_FLAG_SET(throw_on_failure, true);
    fakes::FakePlatform fake;
    fake.net.SetOnline(false);
    if (!fake.files.WriteFile(kList, std::string(reinterpret_cast<const char*>(data), size))) return 0;
    const std::vector<uint8_t> file(data, data + size);
    std::map<uint32_t, Entry> before;
    const bool readable = ReadList(file, before);

    engine::EngineState state;
    fakes::FakeView view(&state);
    engine::CTraceCategories categories(fake.platform, state, view);
    engine::CTraceEngine engine(fake.platform, state, view, categories);
    for (int c = 0; c < seam::kCategoryCount; ++c) state.SetEnabled(static_cast<seam::Category>(c), c == seam::kRecent);

    engine.AnalyseOrClean();
    std::set<uint32_t> listed;
    for (const auto& row : view.List().Rows()) {
        KV_FUZZ_CHECK(row.target.kind == seam::TargetKind::JumpListEntry && row.target.path == kList);
        const auto it = before.find(static_cast<uint32_t>(row.target.id));
        KV_FUZZ_CHECK(readable && it != before.end() && !it->second.pinned);
        KV_FUZZ_CHECK(listed.insert(static_cast<uint32_t>(row.target.id)).second);
        for (const auto& text : row.text) KV_FUZZ_CHECK(text.size() <= 260);
    }
    KV_FUZZ_CHECK(static_cast<int>(listed.size()) == state.Count(seam::kRecent));
    if (listed.empty()) {
        std::string now;
        KV_FUZZ_CHECK(fake.files.ReadAll(kList, now) && now == std::string(file.begin(), file.end()));
        return 0;
    }

    engine.AnalyseOrClean();
    std::string now;
    const bool exists = fake.files.ReadAll(kList, now);
    // A list the edit could not take whole keeps its rows and every byte.
    KV_FUZZ_CHECK(view.List().Count() == state.Count(seam::kRecent));
    if (view.List().Count() != 0) {
        KV_FUZZ_CHECK(view.List().Count() == static_cast<int>(listed.size()));
        KV_FUZZ_CHECK(exists && now == std::string(file.begin(), file.end()));
        return 0;
    }
    if (!exists) {
        // Deleted: only a list left with no entry at all goes.
        for (const auto& entry : before) KV_FUZZ_CHECK(listed.count(entry.first) == 1);
        return 0;
    }
    std::map<uint32_t, Entry> after;
    KV_FUZZ_CHECK(ReadList(std::vector<uint8_t>(now.begin(), now.end()), after));
    for (const auto& entry : before) {
        const auto it = after.find(entry.first);
        if (listed.count(entry.first)) {
            KV_FUZZ_CHECK(it == after.end());
            continue;
        }
        KV_FUZZ_CHECK(it != after.end() && it->second.record == entry.second.record);
        if (entry.second.hasLink) KV_FUZZ_CHECK(it->second.hasLink && it->second.link == entry.second.link);
    }
    return 0;
}
