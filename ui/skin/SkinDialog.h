// What every window of the program shares: a popup dialog without a title
// bar, drawn from one background bitmap with a few texts on it, rounded
// corners, closed only by the title strip's cross, its own buttons or
// Alt+F4 (never by Enter or Escape), and dragged by any other point.
//
// A derived dialog names its background, size and cross, draws its texts
// into the off-screen picture in DrawTexts and may take clicks on hot spots
// of its own in OnHotSpot; everything else is here.
#pragma once

#include <windows.h>

#include <optional>

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
    // Derived dialogs with a message map of their own hand on what it does
    // not take.
    std::optional<LRESULT> OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    // Escape and Enter never reach the dialog manager, so neither closes the window.
    bool PreTranslateMessage(const MSG& msg) override;
    // No window has a default button: an IDOK from anywhere (a key press
    // meant for a message box that has gone, say) ends none of them.
    void OnOK() override {}

    // Draws the dialog's texts over the background, into the off-screen picture.
    virtual void DrawTexts(HDC dc) = 0;
    // A left click at client point (x, y), before the cross and the drag see
    // it. True when the point was a hot spot of the derived dialog.
    virtual bool OnHotSpot(int /*x*/, int /*y*/) { return false; }

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

}  // namespace ui
