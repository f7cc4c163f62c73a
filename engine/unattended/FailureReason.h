// Why a trace stayed after cleaning, as far as the machine still shows it.
// The removers only say that a trace stayed; an unattended report must say
// why, so each stayed trace is looked at once more afterwards, without
// changing anything, and the first cause found is named.
#pragma once

#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

enum class StayReason {
    AccessDenied,  // the key, process or service refuses the rights its removal needs
    Ambiguous,     // the value's name stands for several values (code page 949 cannot spell it)
    StillRunning,  // the process runs (again) after it was ended, or the service has not stopped
    InUse,         // the file is there, not read-only: a program holds it open
    BrowserRunning,  // the browser whose database it is runs or holds the database locked
    StillThere,    // the removal failed for a reason the machine does not show
};

// `row` is a row the cleaning pass left in the list.
StayReason WhyStayed(seam::Platform& platform, const seam::TraceItem& row);

}  // namespace engine
