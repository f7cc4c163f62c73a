// What a skinned button shows, apart from Win32: the hover and tracking
// flags and the choice of face. CSkinButton (ui/SkinButton.h) feeds it the
// mouse messages and draws the face it picks.
#pragma once

namespace ui {

enum class ButtonFace { Normal = 0, Pressed = 1, Hover = 2 };

class SkinButtonState {
public:
    // A mouse move. While no tracking request is active, `requestTracking`
    // (a callable returning the request's result, non-zero on success) is
    // called once; a failed request leaves tracking off so the next move asks
    // again. Hover is reported once per request, so one request per entry is
    // enough.
    template <typename Request>
    void OnMouseMove(Request&& requestTracking) {
        if (!m_bTracking) m_bTracking = requestTracking() != 0;
    }
    void OnMouseHover() { m_bHover = true; }
    // Ends the entry: the next move starts a new tracking request.
    void OnMouseLeave() {
        m_bTracking = false;
        m_bHover = false;
    }

    // Pressed wins over hover; hover stays until the mouse leaves.
    ButtonFace Face(bool bSelected) const {
        if (bSelected) return ButtonFace::Pressed;
        return m_bHover ? ButtonFace::Hover : ButtonFace::Normal;
    }

    bool Hover() const { return m_bHover; }
    bool Tracking() const { return m_bTracking; }

private:
    bool m_bHover = false;
    bool m_bTracking = false;
};

}  // namespace ui
