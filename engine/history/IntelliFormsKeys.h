// The browser's three IntelliForms keys under HKEY_CURRENT_USER, in the order
// they are scanned and deleted.
#pragma once

namespace engine {

inline constexpr const char* kIntelliFormsKeys[3] = {
    "Software\\Microsoft\\Internet Explorer\\IntelliForms\\SPW",
    "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage1",
    "Software\\Microsoft\\Internet Explorer\\IntelliForms\\Storage2",
};

}  // namespace engine
