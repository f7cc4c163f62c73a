// The program's directory as the rest of the program uses it.
#pragma once

#include <string>

namespace app {

// The directory part of a module path with a trailing backslash:
// "C:\Program Files\Kestravin\Kestravin.exe" -> "C:\Program Files\Kestravin\".
// A path without a backslash has no directory part: the result is empty.
inline std::string AppDirFromModulePath(const std::string& modulePath) {
    const std::string::size_type cut = modulePath.rfind('\\');
    if (cut == std::string::npos) return std::string();
    return modulePath.substr(0, cut + 1);
}

}  // namespace app
