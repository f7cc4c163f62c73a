#include "net/UsageCount.h"

#include <vector>

namespace kv {

bool SendUsageCount(INet& net, const std::string& url) {
    std::vector<std::string> lines;
    net.FetchLines(url, NetTimeouts{}, kUsageReplyCap, lines);
    return true;
}

}  // namespace kv
