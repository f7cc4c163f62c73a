#include "net/update/PromptRelay.h"

namespace net {

void CPromptRelay::Hold() {
    std::lock_guard<std::mutex> hold(m_lock);
    m_bHolding = true;
}

void CPromptRelay::ShowHeld() {
    std::vector<Show> due;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_bHolding = false;
        due.swap(m_held);
    }
    // Not under the lock: a box runs a message loop for as long as the user likes.
    for (Show show : due) (m_target.*show)();
}

size_t CPromptRelay::HeldCount() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_held.size();
}

void CPromptRelay::Relay(Show show) {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_bHolding) {
            m_held.push_back(show);
            return;
        }
    }
    (m_target.*show)();
}

void CPromptRelay::ShowConnectionError() { Relay(&IUpdatePrompts::ShowConnectionError); }
void CPromptRelay::ShowAlreadyLatest() { Relay(&IUpdatePrompts::ShowAlreadyLatest); }
void CPromptRelay::ShowConnectionFailed() { Relay(&IUpdatePrompts::ShowConnectionFailed); }
void CPromptRelay::ShowDownloadFailed() { Relay(&IUpdatePrompts::ShowDownloadFailed); }
void CPromptRelay::ShowUpdateUnsigned() { Relay(&IUpdatePrompts::ShowUpdateUnsigned); }

}  // namespace net
