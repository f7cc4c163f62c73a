// Where the maker's web server is: one base address (scheme, host, port),
// replaced by the environment variable KESTRAVIN_SERVER when it is set
// (the tests and the README's run command point it at tools/stand_in_server.py).
#pragma once

#include <string>

namespace net {

inline constexpr const char* kDefaultServer = "http://www.kestravin.com";
inline constexpr const char* kSupportSite = "http://www.kestravin.com/support/";
inline constexpr const char* kWebSiteHost = "www.kestravin.com";

// The base address without a trailing slash.
std::string ServerBase();
// ServerBase() followed by `pathAndQuery` ("/request/count.php?mode=run&key=kestravin").
std::string ServerUrl(const char* pathAndQuery);

}  // namespace net
