#include "net/UsageCount.h"

#include <vector>

namespace net {

bool SendUsageCount(seam::INet& net, const std::string& url) {
    std::vector<std::string> lines;
    net.FetchLines(url, seam::NetTimeouts{}, kUsageReplyCap, lines);
    return true;
}

}  // namespace net
