// The REGKEY column's text: a root's name, a backslash and the key path.
// The only place where root names are written or read.
#pragma once

#include <string>

#include "seam/Platform.h"

namespace engine {

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
const char* RootName(seam::RegRoot root);

// RootName(root), a backslash and `path`.
std::string RegKeyText(seam::RegRoot root, const std::string& path);

// Splits `text` at its first backslash into the root (whose name must match
// exactly) and the key path after it; a text without a backslash is the
// root's name alone, with an empty path. False for any other root name.
bool ParseRegKeyText(const std::string& text, seam::RegRoot& root, std::string& path);

}  // namespace engine
