#include "net/AutoStart.h"

#include "registry/RegHelpers.h"

namespace kv {

std::string AutoStartCommand(const std::string& appDir) { return "\"" + appDir + "Kestravin.exe\""; }

bool IsAutoStartOn(IRegistry& reg) {
    char text[kAutoStartReadBytes] = {};
    // The helper's result is not looked at: every failure leaves "0" behind.
    ReadRegString(reg, RegRoot::CurrentUser, kRunKey, kAutoStartValue, "0", text, sizeof text);
    return std::string(text) != "0";
}

void ToggleAutoStart(IRegistry& reg, const std::string& appDir) {
    if (IsAutoStartOn(reg))
        DeleteRegValue(reg, RegRoot::CurrentUser, kRunKey, kAutoStartValue);
    else
        WriteRegString(reg, RegRoot::CurrentUser, kRunKey, kAutoStartValue, AutoStartCommand(appDir));
}

}  // namespace kv
