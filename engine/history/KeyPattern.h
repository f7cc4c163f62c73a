// Registry key patterns: a key path in which a level "*" stands for every
// direct subkey at that level, optionally followed by the direct subkeys of
// each key it names ("and its subkeys").
#pragma once

#include <functional>
#include <string>

#include "seam/Platform.h"

namespace engine {

// The level that stands for every direct subkey.
inline constexpr const char* kEveryKeyLevel = "*";

// Calls `visit` with each concrete key path that `pattern` names under
// `root`, in scan order: each "*" level in the order the registry enumerates
// that level's subkeys; with `withSubkeys`, each key itself first, then each
// of its direct subkeys. A pattern without "*" and without `withSubkeys` is
// visited as it is, whether or not the key exists; a level that cannot be
// opened for reading names nothing below it. Every key opened here is closed
// before `visit` is called.
void ForEachKeyOfPattern(seam::IRegistry& reg, seam::RegRoot root, const std::string& pattern, bool withSubkeys,
                         const std::function<void(const std::string& path)>& visit);

}  // namespace engine
