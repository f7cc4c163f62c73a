// The progress bar's arithmetic, apart from Win32 (used by CSkinProgress).
#pragma once

namespace ui {

// Fill position in pixels for `percent` on a bar `width` pixels wide:
// width x 0.01 x percent in floating point, truncated toward zero. Percent
// values are not clamped (a caller outside 0..100 gets what the formula gives).
inline int ProgressFillPosition(int width, int percent) {
    return static_cast<int>(width * 0.01 * percent);
}

enum class ProgressImage { LeftEnd, RightEnd, Track, Fill };

// Paints the bar column by column in its fixed order, later columns painting
// over earlier ones: left end at 0, right end at width - 1, fill from 1 to
// `fill` inclusive, track from `fill` to width - 1. `blit(image, x)` copies
// one column; x is always inside 0..width-1.
template <typename Blit>
void PaintProgressColumns(int width, int fill, Blit&& blit) {
    if (width <= 0) return;
    blit(ProgressImage::LeftEnd, 0);
    blit(ProgressImage::RightEnd, width - 1);
    for (int x = 1; x <= fill && x < width; ++x) blit(ProgressImage::Fill, x);
    for (int x = fill < 0 ? 0 : fill; x < width; ++x) blit(ProgressImage::Track, x);
}

// The same picture in runs: neighbouring columns of one image come as one
// `blitRun(image, x, count)`, in the same order, so later runs still paint
// over earlier ones. Each blit is a trip through GDI: under Wine a bar of a
// few hundred columns blitted one by one kept the window from answering for
// over 100 ms on a loaded machine, at the start of every pass.
template <typename BlitRun>
void PaintProgressRuns(int width, int fill, BlitRun&& blitRun) {
    bool bOpen = false;
    ProgressImage image = ProgressImage::LeftEnd;
    int start = 0;
    int count = 0;
    PaintProgressColumns(width, fill, [&](ProgressImage next, int x) {
        if (bOpen && next == image && x == start + count) {
            ++count;
            return;
        }
        if (bOpen) blitRun(image, start, count);
        bOpen = true;
        image = next;
        start = x;
        count = 1;
    });
    if (bOpen) blitRun(image, start, count);
}

}  // namespace ui
