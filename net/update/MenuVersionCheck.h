// The popup menu's version check, run off the window's thread so that the
// window keeps answering while the exchange waits on the server (a server
// that accepts and never answers holds one query for its whole time-out).
//
// One check at a time: from Start until the window has shown its boxes, a
// new Start is refused, and the menu item does nothing. The worker runs
// CheckLatestVersionOnRequest with the relay holding every box, then calls
// the owner's notification (which posts a message to the window, never
// touches it); on that message the window's thread calls ShowPrompts.
//
// The worker must not outlive the objects it uses: the owner waits for it
// with WaitEnded (bounded) when it closes, and the destructor joins a worker
// that has ended. One that has not ended by then is left running detached:
// its owner must end the process instead of unwinding under it (the
// application does, as it does for a pass still running).
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

#include "net/update/PromptRelay.h"
#include "net/update/VersionCheck.h"
#include "seam/Platform.h"

namespace net {

class CMenuVersionCheck {
public:
    // None of the references is owned; all must outlive this object. The
    // checker must be the one whose prompts are `relay`.
    CMenuVersionCheck(seam::INet& net, seam::IRegistry& reg, std::atomic<bool>& bOnline, CUpdateChecker& checker, CPromptRelay& relay);
    ~CMenuVersionCheck();
    CMenuVersionCheck(const CMenuVersionCheck&) = delete;
    CMenuVersionCheck& operator=(const CMenuVersionCheck&) = delete;

    // Start, ShowPrompts and WaitEnded belong to the owner's (the window's)
    // thread.

    // Starts a check on a worker thread; `onEnded` is called on that thread
    // once the exchange is over (boxes held, usage count sent). False, and
    // nothing done, while an earlier check runs or its boxes wait to be
    // shown, or when no thread can be started.
    bool Start(std::function<void()> onEnded);
    // After `onEnded`: shows the held boxes in order and lets the next Start
    // in. Does nothing while no check has finished its exchange.
    void ShowPrompts();
    // Waits at most `timeoutMs` for a running worker to end; true when none runs.
    bool WaitEnded(uint32_t timeoutMs);
    // A worker has not ended yet.
    bool Running() const;

private:
    void Work(const std::function<void()>& onEnded);

    seam::INet& m_net;              // not owned
    seam::IRegistry& m_reg;         // not owned: the usage switch is read there
    std::atomic<bool>& m_bOnline;   // not owned
    CUpdateChecker& m_checker;      // not owned
    CPromptRelay& m_relay;          // not owned

    mutable std::mutex m_lock;  // guards the flags below
    std::condition_variable m_ended;
    bool m_bBusy = false;       // from Start until ShowPrompts: the menu item is ignored
    bool m_bExchanged = false;  // the worker's exchange is over; its boxes may be shown
    bool m_bWorking = false;    // the worker has not ended
    std::thread m_worker;
};

}  // namespace net
