// Stands between the version check and the window's message boxes. Passing
// through, it shows each box at once, on the caller's thread, as the start-up
// check wants. Holding, it only notes which boxes are due, in order, so that
// a check on a worker thread never opens a window there; the window's thread
// shows them later with ShowHeld.
#pragma once

#include <mutex>
#include <vector>

#include "net/update/VersionCheck.h"

namespace net {

class CPromptRelay : public IUpdatePrompts {
public:
    // `target` shows the boxes; not owned, must outlive the relay.
    explicit CPromptRelay(IUpdatePrompts& target) : m_target(target) {}
    CPromptRelay(const CPromptRelay&) = delete;
    CPromptRelay& operator=(const CPromptRelay&) = delete;

    // From now on boxes are held, not shown.
    void Hold();
    // Stops holding and shows the held boxes on `target`, in the order they
    // were asked for, on the calling thread. Each box is modal: this returns
    // when the user has answered them all.
    void ShowHeld();
    // How many boxes wait to be shown.
    size_t HeldCount() const;

    void ShowConnectionError() override;
    void ShowAlreadyLatest() override;
    void ShowConnectionFailed() override;
    void ShowDownloadFailed() override;
    void ShowUpdateUnsigned() override;

private:
    using Show = void (IUpdatePrompts::*)();
    void Relay(Show show);

    IUpdatePrompts& m_target;  // not owned
    mutable std::mutex m_lock;  // guards the two below
    bool m_bHolding = false;
    std::vector<Show> m_held;
};

}  // namespace net
