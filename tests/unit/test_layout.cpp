// The main window's geometry and the program's directory.
#include <gtest/gtest.h>

#include "app/main/AppDir.h"
#include "layout/Layout.h"

namespace {

using namespace layout;
using layout::Rect;

TEST(Layout, HotSpotsIncludeTopLeftAndExcludeRightBottom) {
    EXPECT_TRUE(kMinimiseHot.Contains(460, 11));
    EXPECT_TRUE(kMinimiseHot.Contains(476, 26));
    EXPECT_FALSE(kMinimiseHot.Contains(477, 20));
    EXPECT_FALSE(kMinimiseHot.Contains(470, 27));
    EXPECT_FALSE(kMinimiseHot.Contains(459, 20));

    EXPECT_TRUE(kCloseHot.Contains(480, 11));
    EXPECT_FALSE(kCloseHot.Contains(478, 20)) << "the gap between the two glyphs belongs to neither";
    EXPECT_FALSE(kMinimiseHot.Contains(478, 20));

    EXPECT_TRUE(kDetailsHot.Contains(425, 283));
    EXPECT_FALSE(kDetailsHot.Contains(486, 290));
    EXPECT_FALSE(kDetailsHot.Contains(430, 296));
}

TEST(Layout, ControlsHaveTheirArtworkSizes) {
    EXPECT_EQ(kProgress.Width(), 318);
    EXPECT_EQ(kProgress.Height(), 7);
    EXPECT_EQ(kAction.Width(), 80);
    EXPECT_EQ(kAction.Height(), 29);
    EXPECT_EQ(kExit.Width(), 80);
    EXPECT_EQ(kExit.Height(), 29);
    for (int c = 0; c < kCategoryRows; ++c) {
        EXPECT_EQ(kCheck[c].Width(), 13) << c;
        EXPECT_EQ(kCheck[c].Height(), 13) << c;
        EXPECT_EQ(kCountLine[c].top, kCheck[c].top + 1) << "count line sits beside its box";
        EXPECT_EQ(kCountLine[c].Height(), 13) << c;
        if (c > 0) {
            EXPECT_EQ(kCheck[c].top - kCheck[c - 1].top, 26) << c;
        }
    }
    const Rect client{0, 0, kWindowWidth, kWindowHeight};
    for (const Rect& r : {kMinimiseHot, kCloseHot, kStatus, kProgress, kDetailsHot, kAction, kExit}) {
        EXPECT_TRUE(client.Contains(r.left, r.top));
        EXPECT_LE(r.right, kWindowWidth);
        EXPECT_LE(r.bottom, kWindowHeight);
    }
}

TEST(Layout, CentringAndShape) {
    const auto centred = layout::CentredOrigin(Rect{0, 0, 1024, 768}, 510, 360);
    EXPECT_EQ(centred.x, 257);
    EXPECT_EQ(centred.y, 204);

    // A work area that does not start at 0 (a task bar on the left).
    const auto shifted = layout::CentredOrigin(Rect{100, 0, 1124, 768}, 510, 360);
    EXPECT_EQ(shifted.x, 357);

    // Odd sizes: the window's centre is within a pixel of the area's.
    const auto odd = layout::CentredOrigin(Rect{0, 0, 801, 601}, 511, 361);
    EXPECT_EQ(odd.x, 400 - 255);
    EXPECT_EQ(odd.y, 300 - 180);

    // A screen smaller than the window keeps the window's top-left corner visible.
    const auto small = layout::CentredOrigin(Rect{0, 0, 400, 300}, 510, 360);
    EXPECT_EQ(small.x, 0);
    EXPECT_EQ(small.y, 0);

    const Rect region = layout::RoundRegionRect(510, 360);
    EXPECT_EQ(region.left, 0);
    EXPECT_EQ(region.top, 0);
    EXPECT_EQ(region.right, 511);
    EXPECT_EQ(region.bottom, 361);

    const auto icon = layout::MinimisedIconOrigin(160, 28, 32, 32);
    EXPECT_EQ(icon.x, 64);
    EXPECT_EQ(icon.y, -1) << "integer division truncates toward zero, as in C";
    const auto oddIcon = layout::MinimisedIconOrigin(37, 37, 32, 32);
    EXPECT_EQ(oddIcon.x, 3);
    EXPECT_EQ(oddIcon.y, 3);
}

TEST(AppDir, DirectoryWithTrailingBackslash) {
    EXPECT_EQ(app::AppDirFromModulePath("C:\\Program Files\\Kestravin\\Kestravin.exe"),
              "C:\\Program Files\\Kestravin\\");
    EXPECT_EQ(app::AppDirFromModulePath("C:\\Kestravin.exe"), "C:\\");
    EXPECT_EQ(app::AppDirFromModulePath("C:\\a.b\\other-name.exe"), "C:\\a.b\\")
        << "the running file's own name does not matter";
    EXPECT_EQ(app::AppDirFromModulePath("Kestravin.exe"), "");
    // Code page 949 never uses a backslash as a trail byte: Korean directory
    // names are cut at the real separator ("케스트라빈" in 949).
    const std::string korean = "C:\\\xC4\xC9\xBD\xBA\xC6\xAE\xB6\xF3\xBA\xF3\\";
    EXPECT_EQ(app::AppDirFromModulePath(korean + "Kestravin.exe"), korean);
}

}  // namespace
