// Whether the usage counts may be sent: one switch, on by default, that the
// user turns off from the popup menu. The registry is its only record (like
// auto-start's), read again before every request, so the window and an
// unattended run always obey what it says now.
#pragma once

#include "seam/Platform.h"

namespace net {

// The program's own key; auto-start keeps its value under the Run key instead.
inline constexpr const char* kSettingsKey = "Software\\Kestravin";
// REG_DWORD: 0 sends no usage count at all; any other number, or no value, sends them.
inline constexpr const char* kSendUsageValue = "SendUsage";

// Off exactly when the value is a REG_DWORD holding 0. Reading opens the key
// for reading only, so a user who never touched the switch has no key of ours.
bool IsUsageCountOn(seam::IRegistry& reg);

// Writes the value (1 or 0), creating the key when needed; the Win32 result.
long SetUsageCountOn(seam::IRegistry& reg, bool on);

}  // namespace net
