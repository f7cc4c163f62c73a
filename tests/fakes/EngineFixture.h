// The engine over the whole fake machine, as the category tests use it: the
// fakes, the engine's state and a fake window, the real categories under the
// driver, and what the tests read back. Every test ends by checking that
// nothing was left open and no row was left held back.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/Engine.h"
#include "engine/kinds/TraceCategories.h"
#include "tests/fakes/FakePlatform.h"
#include "tests/fakes/FakeView.h"

namespace fakes {

class EngineFixture : public ::testing::Test {
protected:
    EngineFixture() { m_fake.net.SetOnline(false); }
    void TearDown() override {
        EXPECT_EQ(0, m_fake.registry.OpenHandleCount()) << "a key was left open";
        EXPECT_EQ(0, m_fake.registry.BadCloseCount());
        EXPECT_EQ(0, m_fake.processes.OpenHandleCount());
        EXPECT_EQ(0, m_fake.services.OpenHandleCount());
        EXPECT_EQ(0, m_view.List().Pending());
    }

    void Pass() { m_engine.AnalyseOrClean(); }
    // What `row`'s kind makes of it handed to its remover alone, outside a
    // pass: the counters stay as they are, as only the pass lowers them.
    engine::RowFate RemoveAlone(const seam::TraceItem& row) {
        std::vector<engine::RowFate> fates;
        m_categories.Remove({&row}, fates);
        EXPECT_EQ(1u, fates.size());
        return fates.empty() ? engine::RowFate::Skipped : fates.front();
    }
    std::vector<seam::TraceItem> Rows() { return m_view.List().Rows(); }
    // One column of every row, top first.
    std::vector<std::string> Column(int column) {
        std::vector<std::string> out;
        for (const auto& row : Rows()) out.push_back(row.text[column]);
        return out;
    }
    int CountOf(seam::Category category) {
        int n = 0;
        for (const auto& row : Rows()) n += row.Code() == engine::CodeOf(category);
        return n;
    }
    // Value names as the registry enumerates them, last first: the order rows end up in.
    std::vector<std::string> TopDown(seam::RegRoot root, const std::string& path) {
        auto names = m_fake.registry.ValueNames(root, path);
        std::reverse(names.begin(), names.end());
        return names;
    }

    FakePlatform m_fake;
    engine::EngineState m_state;
    FakeView m_view{&m_state};
    engine::CTraceCategories m_categories{m_fake.platform, m_state, m_view};
    engine::CTraceEngine m_engine{m_fake.platform, m_state, m_view, m_categories};
};

}  // namespace fakes
