#include "net/AutoStart.h"

#include <vector>

#include "registry/RegHelpers.h"

namespace kv {
namespace {

// The value holds exactly the command this copy writes. Read with room for
// that command and one byte more, so a longer value never matches.
bool HoldsOwnCommand(IRegistry& reg, const std::string& command) {
    std::vector<char> text(command.size() + 2, '\0');
    if (ReadRegString(reg, RegRoot::CurrentUser, kRunKey, kAutoStartValue, "0", text.data(),
                      static_cast<uint32_t>(text.size())) != kErrSuccess)
        return false;
    return std::string(text.data()) == command;
}

}  // namespace

std::string AutoStartCommand(const std::string& appDir) { return "\"" + appDir + "Kestravin.exe\""; }

bool IsAutoStartOn(IRegistry& reg) {
    char text[kAutoStartReadBytes] = {};
    // The helper's result is not looked at: every failure leaves "0" behind.
    ReadRegString(reg, RegRoot::CurrentUser, kRunKey, kAutoStartValue, "0", text, sizeof text);
    return std::string(text) != "0";
}

void ToggleAutoStart(IRegistry& reg, const std::string& appDir) {
    const std::string command = AutoStartCommand(appDir);
    // From a deep enough directory the command itself no longer fits the
    // read and counts as off; writing it again would leave auto-start on for
    // good, so the value this copy wrote is taken as on here.
    if (IsAutoStartOn(reg) || HoldsOwnCommand(reg, command))
        DeleteRegValue(reg, RegRoot::CurrentUser, kRunKey, kAutoStartValue);
    else
        WriteRegString(reg, RegRoot::CurrentUser, kRunKey, kAutoStartValue, command);
}

}  // namespace kv
