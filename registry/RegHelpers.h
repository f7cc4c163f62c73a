// Whole-value registry work: read one string with a fallback, write one
// string, delete one value, delete the subkeys of a key, delete a key with
// its subtree. Each call opens what it needs and closes it before returning;
// nothing is reported to the user. Texts are code page 949. Every helper
// returns the Win32 error code of the call that decided it: kErrSuccess (0)
// when it did its job.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "seam/Platform.h"

namespace registry {

// The first buffers of MAX_PATH bytes, terminator included, that a value's
// name and data are read into; a subkey's name always fits its buffer, as a
// key's name is at most 255 characters.
inline constexpr uint32_t kNameBuffer = 260;
inline constexpr uint32_t kFirstDataBuffer = 260;
// Larger reads, in turn, for data that does not fit the first buffer. The
// registry advises against values above about 1 MB; data beyond the last
// size is not read rather than the read growing without end.
inline constexpr uint32_t kLargerDataBuffers[] = {4096, 65536, 1u << 20};

// Reads `name` under root\path into `buffer` (`size` bytes). The key is opened
// with RegCreateKeyExA, so a read under a missing key leaves that key behind,
// empty. kErrSuccess when the value's bytes were copied; otherwise
// `defaultText` was copied instead and the result says why (no key, no value,
// kErrMoreData for data larger than the buffer).
// Whenever `size` > 0 the buffer ends up holding a zero-terminated text, cut
// to fit when need be; nothing is written past `size` bytes.
long ReadRegString(seam::IRegistry& reg, seam::RegRoot root, const std::string& path, const std::string& name,
                  const std::string& defaultText, char* buffer, uint32_t size);

// Sets `name` to `text` as REG_SZ (terminator included), creating the key
// when needed.
long WriteRegString(seam::IRegistry& reg, seam::RegRoot root, const std::string& path, const std::string& name,
                   const std::string& text);

// kErrSuccess when the value was deleted; otherwise why not (no key, no
// value, no right).
long DeleteRegValue(seam::IRegistry& reg, seam::RegRoot root, const std::string& path, const std::string& name);

// Deletes every subkey of root\path, deepest first; the key and its values
// stay. kErrSuccess when every subkey is gone; otherwise the first registry
// error that stopped it (2 for a missing key). A subkey that cannot be removed ends the
// walk with its error rather than being met again forever.
long DeleteSubkeys(seam::IRegistry& reg, seam::RegRoot root, const std::string& path);

// RegEnumValueA's name of value `index`, however long: a name that does not
// fit the usual 260-byte buffer is read again into a larger one (a name is at
// most 16,383 characters, each at most two bytes in code page 949). Gives
// the enumeration's own result otherwise (kErrNoMoreItems past the last).
long EnumWholeValueName(seam::IRegistry& reg, seam::RegKey key, uint32_t index, std::string& name);

// Value `index`'s name, data and type in one RegEnumValueA call when both
// fit the first buffers (kNameBuffer and kFirstDataBuffer bytes), as most
// do. Otherwise both buffers grow and the call is made again: which of the
// two did not fit is not told. The name grows as EnumWholeValueName's does,
// up to the longest a name can be; the data through kLargerDataBuffers.
// kErrSuccess with both; for data larger than the last buffer, kErrMoreData
// with the whole name and `data` empty, so that a walk still has the value's
// name; otherwise the enumeration's own result (kErrNoMoreItems past the
// last). `type` may be null. Keeping `name` and `data` from one value to the
// next spares their allocations.
long EnumWholeValue(seam::IRegistry& reg, seam::RegKey key, uint32_t index, std::string& name,
                    std::vector<uint8_t>& data, uint32_t* type);

// DeleteSubkeys, then (when `bDeleteSelf`) the key itself with its values.
long DeleteKeyTree(seam::IRegistry& reg, seam::RegRoot root, const std::string& path, bool bDeleteSelf);

}  // namespace registry
