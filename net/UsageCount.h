// Usage-count requests: one GET of a fixed counter URL per event, reply
// ignored. The online test belongs to each call site, not to the request.
#pragma once

#include <cstddef>
#include <string>

#include "seam/Platform.h"

namespace net {

// Path and query of the four counter URLs, appended to ServerBase().
inline constexpr const char* kCountRun = "/request/count.php?mode=run&key=kestravin";
inline constexpr const char* kCountAnalysis = "/request/count.php?mode=analysis&key=kestravin";
inline constexpr const char* kCountClean = "/request/count.php?mode=clean&key=kestravin";
inline constexpr const char* kCountUpdateExe = "/request/count.php?mode=update_exe&key=kestravin";

// The reply is read one line deep and discarded; this bounds what is read.
inline constexpr size_t kUsageReplyCap = 512;

// Fetches `url` with the default time-outs and discards the reply, unless
// the usage switch (net/UsageSwitch.h) is off: then nothing is sent at all.
// Blocks the calling thread for at most the time-outs. Failures are silent:
// always true.
bool SendUsageCount(seam::INet& net, seam::IRegistry& reg, const std::string& url);

}  // namespace net
