#include "net/AutoStart.h"

#include <vector>

#include "registry/RegHelpers.h"

namespace net {
namespace {

// The value holds exactly the command this copy writes. Read with room for
// that command and one byte more, so a longer value never matches.
bool HoldsOwnCommand(seam::IRegistry& reg, const std::string& command) {
    std::vector<char> text(command.size() + 2, '\0');
    if (registry::ReadRegString(reg, seam::RegRoot::CurrentUser, kRunKey, kAutoStartValue, "0", text.data(),
                      static_cast<uint32_t>(text.size())) != seam::kErrSuccess)
        return false;
    return std::string(text.data()) == command;
}

}  // namespace

std::string AutoStartCommand(const std::string& appDir) { return "\"" + appDir + "Kestravin.exe\""; }

bool IsAutoStartOn(seam::IRegistry& reg) {
    char text[kAutoStartReadBytes] = {};
    // The helper's result is not looked at: every failure leaves "0" behind.
    registry::ReadRegString(reg, seam::RegRoot::CurrentUser, kRunKey, kAutoStartValue, "0", text, sizeof text);
    return std::string(text) != "0";
}

void ToggleAutoStart(seam::IRegistry& reg, const std::string& appDir) {
    const std::string command = AutoStartCommand(appDir);
    // From a deep enough directory the command itself no longer fits the
    // read and counts as off; writing it again would leave auto-start on for
    // good, so the value this copy wrote is taken as on here.
    if (IsAutoStartOn(reg) || HoldsOwnCommand(reg, command))
        registry::DeleteRegValue(reg, seam::RegRoot::CurrentUser, kRunKey, kAutoStartValue);
    else
        registry::WriteRegString(reg, seam::RegRoot::CurrentUser, kRunKey, kAutoStartValue, command);
}

}  // namespace net
