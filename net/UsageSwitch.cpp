#include "net/UsageSwitch.h"

#include <cstdint>
#include <vector>

#include "seam/Scoped.h"

namespace net {

bool IsUsageCountOn(seam::IRegistry& reg) {
    seam::ScopedRegKey key(reg);
    if (reg.OpenKey(seam::RegRoot::CurrentUser, kSettingsKey, seam::RegAccess::Read, key.Out()) != seam::kErrSuccess)
        return true;
    std::vector<uint8_t> data;
    uint32_t type = seam::kRegNone;
    if (reg.QueryValue(key.Get(), kSendUsageValue, data, 4, &type) != seam::kErrSuccess) return true;
    if (type != seam::kRegDword || data.size() != 4) return true;
    return data[0] != 0 || data[1] != 0 || data[2] != 0 || data[3] != 0;
}

long SetUsageCountOn(seam::IRegistry& reg, bool on) {
    seam::ScopedRegKey key(reg);
    const long opened = reg.CreateKey(seam::RegRoot::CurrentUser, kSettingsKey, seam::RegAccess::Write, key.Out());
    if (opened != seam::kErrSuccess) return opened;
    const std::vector<uint8_t> data{static_cast<uint8_t>(on ? 1 : 0), 0, 0, 0};
    return reg.SetValue(key.Get(), kSendUsageValue, seam::kRegDword, data);
}

}  // namespace net
