// What the program's secondary windows share: a popup dialog without a
// title bar, drawn from one background bitmap with a few texts on it,
// rounded corners, closed only by the title strip's cross or its own
// buttons, and dragged by any other point.
//
// A derived dialog names its background, size and cross, and draws its texts
// into the off-screen picture in DrawTexts; everything else is here.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "layout/Geometry.h"
#include "win/Dialog.h"
#include "win/Handles.h"
#include "win/MessageMap.h"

namespace ui {

class CSkinDialog : public win::CDialog {
public:
    // `nBackground`: bitmap resource of w x h pixels, the window's size.
    // `closeArea`: the cross drawn in the background, in client pixels.
    CSkinDialog(UINT nTemplateId, UINT nBackground, int w, int h, const layout::Rect& closeArea);

protected:
    // Loads the background and gives the window its size, centred on the
    // work area. Derived dialogs call it first.
    BOOL OnInitDialog() override;
    std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Escape and Enter never reach the dialog manager, so neither closes the window.
    bool PreTranslateMessage(const MSG& msg) override;

    // Draws the dialog's texts over the background, into the off-screen picture.
    virtual void DrawTexts(HDC dc) = 0;

private:
    std::optional<LRESULT> OnEraseBkgnd(WPARAM, LPARAM);
    std::optional<LRESULT> OnLButtonDown(WPARAM, LPARAM);
    std::optional<LRESULT> OnSize(WPARAM, LPARAM);

    static const win::MessageEntry<CSkinDialog> kMessages[];

    UINT m_nBackground;
    int m_nWidth;
    int m_nHeight;
    layout::Rect m_rcClose;
    win::UniqueBitmap m_bmpBackground;
};

// The texts' font: "굴림", 12 pixels high, of `weight`; created for one paint.
win::UniqueFont CreateSkinFont(int weight);
// Gives the window the skin's rounded shape for its current size; the
// window owns the region afterwards.
void ApplyRoundedRegion(HWND hWnd);
// Draws `text` left and top aligned in `where`.
void DrawSkinText(HDC dc, const std::string& text, const layout::Rect& where);

}  // namespace ui
