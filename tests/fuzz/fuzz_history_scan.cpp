// Analysis then cleaning over a fake registry whose history keys hold
// whatever the input says: any value names and data bytes (invalid code page
// 949 included), names around the 260-byte buffer, any value type. Cleaning
// must delete exactly the values the analysis listed, and nothing else.
#include <fuzzer/FuzzedDataProvider.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/core/Engine.h"
#include "engine/history/HistoryNames.h"
#include "engine/history/HistorySources.h"
#include "engine/history/RegKeyText.h"
#include "engine/core/StatusTexts.h"
#include "engine/kinds/TraceCategories.h"
#include "tests/fakes/FakePlatform.h"
#include "tests/fakes/FoldCase.h"
#include "tests/fakes/FakeView.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using ValueId = std::tuple<seam::RegRoot, std::string, std::string>;  // root, key, lowered name

// A concrete key of the source: every "*" level taken as a fixed subkey.
std::string KeyOf(const engine::HistorySource& source) {
    std::string path = source.keyPath;
    for (size_t star; (star = path.find('*')) != std::string::npos;) path[star] = 'x';
    return path;
}

std::string Lowered(const std::string& text) { return fakes::FoldCase(text); }

std::string Bytes(FuzzedDataProvider& in) {
    // The lengths around the 260-byte buffers are where the limits bite.
    static const size_t kEdges[] = {258, 259, 260, 261, 300};
    const int pick = in.ConsumeIntegralInRange<int>(0, 8);
    if (pick < 4) return in.ConsumeRandomLengthString(64);
    std::string text = in.ConsumeRandomLengthString(8);
    text.resize(kEdges[pick - 4], text.empty() ? 'n' : text.back());
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The fake list reports a read past its end as a test failure: make it fatal.
    GTEST_FLAG_SET(throw_on_failure, true);

    FuzzedDataProvider in(data, size);
    fakes::FakePlatform fake;
    fake.net.SetOnline(false);
    const auto& sources = engine::HistorySources();
    static const char* const kSingleNames[] = {"sRecentFile", "sRecentFolder", "sRecentURL", ""};

    for (int n = 0; n < 64 && in.remaining_bytes() > 0; ++n) {
        const auto& source = sources[in.ConsumeIntegralInRange<size_t>(0, sources.size() - 1)];
        const std::string name = in.ConsumeBool() ? kSingleNames[in.ConsumeIntegralInRange(0, 3)]
                                                  : Bytes(in);
        const uint32_t type = in.ConsumeIntegralInRange<uint32_t>(0, 4);
        const std::string bytes = Bytes(in);
        if (in.ConsumeBool()) fake.system.AddFile(engine::CleanMuiCachePath(name));
        fake.registry.SetBytes(source.root, KeyOf(source), name, type,
                               std::vector<uint8_t>(bytes.begin(), bytes.end()));
    }

    std::set<ValueId> before;
    for (const auto& source : sources) {
        for (const auto& name : fake.registry.ValueNames(source.root, KeyOf(source))) {
            before.insert({source.root, KeyOf(source), Lowered(name)});
        }
    }

    engine::EngineState state;
    fakes::FakeView view(&state);
    view.List().SetBatching(true);
    engine::CTraceCategories categories(fake.platform, state, view);
    engine::CTraceEngine engine(fake.platform, state, view, categories);

    engine.AnalyseOrClean();
    std::set<ValueId> listed;
    int recentRows = 0;
    for (const auto& row : view.List().Rows()) {
        if (row.Code() != engine::CodeOf(seam::kRecent)) continue;
        ++recentRows;
        seam::RegRoot root;
        std::string path;
        KV_FUZZ_CHECK(engine::ParseRegKeyText(row.text[seam::kColRegKey], root, path));
        // Cleaning goes by the target: it names the same value as the texts.
        KV_FUZZ_CHECK(row.target.kind == seam::TargetKind::RegValue && row.target.root == root &&
                      row.target.key == path && row.target.name == row.text[seam::kColValue]);
        const ValueId id{root, path, Lowered(row.text[seam::kColValue])};
        KV_FUZZ_CHECK(before.count(id) == 1);  // a row names a value that is there
        listed.insert(id);
        KV_FUZZ_CHECK(row.text[seam::kColData].size() <= 260);
    }
    KV_FUZZ_CHECK(recentRows == state.Count(seam::kRecent));
    KV_FUZZ_CHECK(fake.registry.OpenHandleCount() == 0);
    if (recentRows == 0) return 0;

    engine.AnalyseOrClean();
    for (const auto& id : before) {
        const bool present =
            fake.registry.ValueExists(std::get<0>(id), std::get<1>(id), std::get<2>(id));
        KV_FUZZ_CHECK(present == (listed.count(id) == 0));
    }
    KV_FUZZ_CHECK(state.Count(seam::kRecent) == 0);
    KV_FUZZ_CHECK(state.StatusText() == engine::StatusCleanDone());
    KV_FUZZ_CHECK(fake.registry.OpenHandleCount() == 0);
    KV_FUZZ_CHECK(fake.registry.BadCloseCount() == 0);
    KV_FUZZ_CHECK(view.List().Pending() == 0);
    return 0;
}
