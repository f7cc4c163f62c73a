// A pass on a worker thread while the window thread reads the state it
// paints from. Run under ThreadSanitizer to catch unguarded sharing.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "engine/core/Engine.h"
#include "engine/core/StatusTexts.h"
#include "tests/fakes/FakeCategories.h"
#include "tests/fakes/FakePlatform.h"
#include "tests/fakes/FakeView.h"

namespace engine {
namespace {

TEST(DriverThreads, WindowThreadReadsWhilePassesRun) {
    fakes::FakePlatform fake;
    EngineState state;
    fakes::FakeView view(&state);
    fakes::FakeCategories categories(fake.platform, state, view);
    CTraceEngine engine(fake.platform, state, view, categories);

    std::vector<seam::TraceItem> rows;
    for (int i = 0; i < 50; ++i) rows.push_back(fakes::MakeTraceRow("PROCESS", "p" + std::to_string(i) + ".exe"));
    categories.SetRows("PROCESS", rows);
    categories.SetRows("GRID", {fakes::MakeTraceRow("GRID", "qdownagent.exe")});
    state.SetStatusText(StatusWaiting());

    const std::set<std::string> known{StatusWaiting(), StatusNoItems(), StatusCleanPrompt(),
                                      StatusCleanDone()};
    constexpr int kPasses = 40;
    std::atomic<bool> done{false};
    std::atomic<int> unknownStatus{0};
    std::atomic<int> reads{0};

    std::thread window([&] {
        do {
            for (int c = 0; c < seam::kCategoryCount; ++c) {
                const auto category = static_cast<seam::Category>(c);
                const std::string text = state.CountText(category);
                if (text.empty()) unknownStatus.fetch_add(1);
                (void)state.IsEnabled(category);
            }
            if (known.count(state.StatusText()) == 0) unknownStatus.fetch_add(1);
            (void)state.m_bAnalysed.load();
            (void)state.m_bOnline.load();
            reads.fetch_add(1);
        } while (!done.load());
    });
    std::thread worker([&] {
        // The passes start only once the window thread reads, so the two overlap
        // however the threads are scheduled.
        while (reads.load() == 0) std::this_thread::yield();
        for (int pass = 0; pass < kPasses; ++pass) {
            ASSERT_TRUE(state.TryBeginPass());
            engine.AnalyseOrClean();
            state.EndPass();
        }
    });
    worker.join();
    done.store(true);
    window.join();

    EXPECT_EQ(0, unknownStatus.load());
    // An even number of passes ends after a cleaning pass with everything removed.
    EXPECT_EQ(StatusCleanDone(), state.StatusText());
    EXPECT_EQ(0, state.Count(seam::kProcess));
    EXPECT_EQ(0, state.Count(seam::kGrid));
    EXPECT_EQ(0, view.List().Count());
}

}  // namespace
}  // namespace engine
