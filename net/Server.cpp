#include "net/Server.h"

#include <cstdlib>

namespace net {

std::string ServerBase() {
    const char* env = std::getenv("KESTRAVIN_SERVER");
    std::string base = (env && *env) ? env : kDefaultServer;
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base;
}

std::string ServerUrl(const char* pathAndQuery) { return ServerBase() + pathAndQuery; }

}  // namespace net
