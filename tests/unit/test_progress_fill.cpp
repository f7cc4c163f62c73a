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

}  // namespace
