#include "net/UsageCount.h"

#include <vector>

#include "net/UsageSwitch.h"

namespace net {

bool SendUsageCount(seam::INet& net, seam::IRegistry& reg, const std::string& url) {
    if (!IsUsageCountOn(reg)) return true;
    std::vector<std::string> lines;
    net.FetchLines(url, seam::NetTimeouts{}, kUsageReplyCap, lines);
    return true;
}

}  // namespace net
