// The progress bar's fill arithmetic and the order in which it paints columns.
#include <gtest/gtest.h>

#include <vector>

#include "ui/skin/ProgressFill.h"

namespace {

using ui::ProgressImage;

TEST(ProgressFill, PositionIsWidthTimesPercentTruncatedTowardZero) {
    EXPECT_EQ(ui::ProgressFillPosition(318, 0), 0);
    EXPECT_EQ(ui::ProgressFillPosition(318, 50), 159);
    EXPECT_EQ(ui::ProgressFillPosition(318, 100), 318);
    EXPECT_EQ(ui::ProgressFillPosition(318, 33), 104);  // 104.94
    EXPECT_EQ(ui::ProgressFillPosition(318, 1), 3);     // 3.18
    EXPECT_EQ(ui::ProgressFillPosition(318, -1), -3) << "toward zero, not down";
    EXPECT_EQ(ui::ProgressFillPosition(318, 150), 477) << "not clamped";
    EXPECT_EQ(ui::ProgressFillPosition(0, 100), 0);
}

// The image each column finally shows, painting in the bar's own order.
std::vector<ProgressImage> Paint(int width, int fill) {
    std::vector<ProgressImage> columns(static_cast<size_t>(width), ProgressImage::RightEnd);
    std::vector<bool> painted(static_cast<size_t>(width), false);
    ui::PaintProgressColumns(width, fill, [&](ProgressImage image, int x) {
        EXPECT_GE(x, 0);
        EXPECT_LT(x, width);
        if (x < 0 || x >= width) return;
        columns[static_cast<size_t>(x)] = image;
        painted[static_cast<size_t>(x)] = true;
    });
    for (int x = 0; x < width; ++x) EXPECT_TRUE(painted[static_cast<size_t>(x)]) << "column " << x;
    return columns;
}

TEST(ProgressFill, ColumnsShowFillThenTrack) {
    const int w = 318;

    auto empty = Paint(w, ui::ProgressFillPosition(w, 0));
    for (int x = 0; x < w; ++x) EXPECT_EQ(empty[x], ProgressImage::Track) << x;

    auto half = Paint(w, ui::ProgressFillPosition(w, 50));
    EXPECT_EQ(half[0], ProgressImage::LeftEnd);
    for (int x = 1; x < 159; ++x) EXPECT_EQ(half[x], ProgressImage::Fill) << x;
    for (int x = 159; x < w; ++x) EXPECT_EQ(half[x], ProgressImage::Track) << x;

    auto full = Paint(w, ui::ProgressFillPosition(w, 100));
    EXPECT_EQ(full[0], ProgressImage::LeftEnd);
    for (int x = 1; x < w; ++x) EXPECT_EQ(full[x], ProgressImage::Fill) << x;

    // Out-of-range positions never paint outside the bar.
    Paint(w, 477);
    auto negative = Paint(w, -3);
    for (int x = 0; x < w; ++x) EXPECT_EQ(negative[x], ProgressImage::Track) << x;
}

// Runs replayed column by column give exactly the columns' picture, in a
// handful of blits however wide the bar.
TEST(ProgressFill, RunsPaintWhatTheColumnsPaintInAFewBlits) {
    struct Case {
        int width;
        int fill;
    };
    const Case cases[] = {{318, 0}, {318, 1}, {318, 159}, {318, 317}, {318, 318}, {318, 477}, {318, -3},
                          {1, 0},   {1, 1},   {2, 0},     {2, 1},     {2, 2},     {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "width " << c.width << ", fill " << c.fill);
        std::vector<ProgressImage> columns(static_cast<size_t>(c.width), ProgressImage::RightEnd);
        std::vector<bool> painted(static_cast<size_t>(c.width), false);
        int runs = 0;
        ui::PaintProgressRuns(c.width, c.fill, [&](ProgressImage image, int x, int count) {
            ++runs;
            EXPECT_GE(x, 0);
            EXPECT_GE(count, 1);
            EXPECT_LE(x + count, c.width);
            for (int k = x; k < x + count && k >= 0 && k < c.width; ++k) {
                columns[static_cast<size_t>(k)] = image;
                painted[static_cast<size_t>(k)] = true;
            }
        });
        for (int x = 0; x < c.width; ++x) EXPECT_TRUE(painted[static_cast<size_t>(x)]) << "column " << x;
        if (c.width > 0) EXPECT_EQ(Paint(c.width, c.fill), columns);
        EXPECT_LE(runs, 4);
    }
}

}  // namespace
