// What a skinned button shows, apart from Win32: the hover and tracking
// flags and the choice of face. CSkinButton (ui/SkinButton.h) feeds it the
// mouse messages and draws the face it picks.
#pragma once

namespace kv {

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
        if (m_bTracking == 0) m_bTracking = requestTracking() ? 1 : 0;
    }
    void OnMouseHover() { m_bHover = 1; }
    // Ends the entry: the next move starts a new tracking request.
    void OnMouseLeave() {
        m_bTracking = 0;
        m_bHover = 0;
    }

    // Pressed wins over hover; hover stays until the mouse leaves.
    ButtonFace Face(bool bSelected) const {
        if (bSelected) return ButtonFace::Pressed;
        return m_bHover ? ButtonFace::Hover : ButtonFace::Normal;
    }

    bool Hover() const { return m_bHover != 0; }
    bool Tracking() const { return m_bTracking != 0; }

private:
    int m_bHover = 0;
    int m_bTracking = 0;
};

}  // namespace kv
