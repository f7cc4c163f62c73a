// Whole-value registry work: read one string with a fallback, write one
// string, delete one value, delete the subkeys of a key, delete a key with
// its subtree. Each call opens what it needs and closes it before returning;
// nothing is reported to the user. Texts are code page 949.
#pragma once

#include <cstdint>
#include <string>

#include "seam/Platform.h"

namespace kv {

// Reads `name` under root\path into `buffer` (`size` bytes). The key is opened
// with RegCreateKeyExA, so a read under a missing key leaves that key behind,
// empty. Returns 1 when the value's bytes were copied, 0 when `defaultText`
// was copied instead (no key, no value, or data larger than the buffer).
// Whenever `size` > 0 the buffer ends up holding a zero-terminated text, cut
// to fit when need be; nothing is written past `size` bytes.
int ReadRegString(IRegistry& reg, RegRoot root, const std::string& path, const std::string& name,
                  const std::string& defaultText, char* buffer, uint32_t size);

// Sets `name` to `text` as REG_SZ (terminator included), creating the key
// when needed. 1 on success, 0 on failure.
int WriteRegString(IRegistry& reg, RegRoot root, const std::string& path, const std::string& name,
                   const std::string& text);

// 1 when the value was deleted, 0 otherwise (no key, no value, no right).
int DeleteRegValue(IRegistry& reg, RegRoot root, const std::string& path, const std::string& name);

// Deletes every subkey of root\path, deepest first; the key and its values
// stay. 0 when every subkey is gone; otherwise the first registry error that
// stopped it (2 for a missing key). A subkey that cannot be removed ends the
// walk with its error rather than being met again forever.
long DeleteSubkeys(IRegistry& reg, RegRoot root, const std::string& path);

// DeleteSubkeys, then (when `bDeleteSelf` is non-zero) the key itself with its
// values. 0 or the registry error code that stopped it.
long DeleteKeyTree(IRegistry& reg, RegRoot root, const std::string& path, int bDeleteSelf);

}  // namespace kv
