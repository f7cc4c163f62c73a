// Private messages of the main dialog: how a pass's worker thread and the
// version check's hand work to the window thread.
#pragma once

#include <windows.h>

namespace app {

enum : UINT {
    // Sent: the hidden list control takes the trace list's row count.
    WM_KV_TRACE_SYNC = WM_APP + 1,
    // Posted. wParam: the action button's new face (seam::ActionFace).
    WM_KV_ACTION_FACE,
    // Posted when a pass has ended.
    WM_KV_PASS_ENDED,
    // Posted by the menu's version check when its exchange is over: its
    // boxes are due (net/MenuVersionCheck.h).
    WM_KV_VERSION_CHECKED,
};

// Timer that repaints what a running pass changed, at most once per period.
enum : UINT_PTR { kRepaintTimer = 1 };
enum : UINT { kRepaintPeriodMs = 15 };

// How long closing waits for the menu's version check to end by itself.
enum : unsigned { kVersionCheckCloseWaitMs = 2000 };

}  // namespace app
