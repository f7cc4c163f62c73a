// Auto-start with Windows: one value under the current user's Run key. The
// registry is the only record of the state; nothing is cached, so every
// reader sees what the registry holds now.
#pragma once

#include <string>

#include "seam/Platform.h"

namespace net {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// The value's name is the program's name.
inline constexpr const char* kAutoStartValue = "Kestravin";
// The value is read into this many bytes; data that does not fit reads as off.
inline constexpr unsigned kAutoStartReadBytes = 260;

// The command Windows runs at logon: the program's directory (with its
// trailing backslash) and "Kestravin.exe", in quotes, so a directory with
// blanks is not split into a program and its arguments. The file name is
// fixed whatever the running executable is called.
std::string AutoStartCommand(const std::string& appDir);

// On exactly when the value reads as something other than "0". No key, no
// value, data too long for kAutoStartReadBytes or a read failure all read as
// "0", so they count as off.
bool IsAutoStartOn(seam::IRegistry& reg);

// On: deletes the value. Off: writes AutoStartCommand(appDir), unless the
// value already holds exactly that command (too long for the read, so it
// counts as off), which is deleted instead: a value the toggle wrote can
// always be switched off again. Failures are not reported; the registry
// keeps its previous state.
void ToggleAutoStart(seam::IRegistry& reg, const std::string& appDir);

}  // namespace net
