#include "net/update/MenuVersionCheck.h"

#include <chrono>
#include <system_error>
#include <utility>

namespace net {
namespace {

// A worker whose exchange is over has only its notification left to make
// (a posted message); these bound the waits for it all the same.
constexpr uint32_t kFinishingWaitMs = 1000;
constexpr uint32_t kDestructorWaitMs = 100;

}  // namespace

CMenuVersionCheck::CMenuVersionCheck(seam::INet& net, seam::IRegistry& reg, std::atomic<bool>& bOnline,
                                     CUpdateChecker& checker, CPromptRelay& relay)
    : m_net(net), m_reg(reg), m_bOnline(bOnline), m_checker(checker), m_relay(relay) {}

CMenuVersionCheck::~CMenuVersionCheck() {
    if (!m_worker.joinable()) return;
    if (WaitEnded(kDestructorWaitMs)) {
        m_worker.join();
    } else {
        m_worker.detach();  // see the header: the owner ends the process
    }
}

bool CMenuVersionCheck::Start(std::function<void()> onEnded) {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (m_bBusy) return false;
    }
    // The previous worker's boxes are shown, so its exchange is over; it may
    // still be returning from its notification.
    if (m_worker.joinable()) {
        if (!WaitEnded(kFinishingWaitMs)) return false;
        m_worker.join();
    }
    std::lock_guard<std::mutex> hold(m_lock);
    m_relay.Hold();
    m_bBusy = true;
    m_bExchanged = false;
    m_bWorking = true;
    try {
        m_worker = std::thread([this, onEnded = std::move(onEnded)] { Work(onEnded); });
    } catch (const std::system_error&) {
        m_bBusy = false;
        m_bWorking = false;
        m_relay.ShowHeld();  // holds nothing yet: only stops holding
        return false;
    }
    return true;
}

void CMenuVersionCheck::Work(const std::function<void()>& onEnded) {
    try {
        CheckLatestVersionOnRequest(m_net, m_reg, m_bOnline, m_checker, m_relay);
    } catch (...) {
        // The check stops where it failed; the boxes it asked for so far are still shown.
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_bExchanged = true;
    }
    try {
        if (onEnded) onEnded();
    } catch (...) {
    }
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_bWorking = false;
    }
    m_ended.notify_all();
}

void CMenuVersionCheck::ShowPrompts() {
    {
        std::lock_guard<std::mutex> hold(m_lock);
        if (!m_bBusy || !m_bExchanged) return;
    }
    m_relay.ShowHeld();
    // Only now: while the boxes are up, another check must not start.
    std::lock_guard<std::mutex> hold(m_lock);
    m_bBusy = false;
}

bool CMenuVersionCheck::WaitEnded(uint32_t timeoutMs) {
    std::unique_lock<std::mutex> hold(m_lock);
    return m_ended.wait_for(hold, std::chrono::milliseconds(timeoutMs), [this] { return !m_bWorking; });
}

bool CMenuVersionCheck::Running() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_bWorking;
}

}  // namespace net
