// A registry value's data as the trace list shows it, for the scanners that
// list values (usage history and autosaved passwords).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "registry/RegHelpers.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

// Value names and data are read into buffers of this many bytes first.
inline constexpr uint32_t kValueBuffer = registry::kFirstDataBuffer;

// The data bytes up to the first zero byte, or all of them when there is
// none, whatever the value's type.
std::string TextUpToZero(const std::vector<uint8_t>& data);

// The text of value `name` of the open `key`: its data read into a
// kValueBuffer-byte buffer, up to the first zero byte (so at most 260 bytes).
// Data too large for that buffer is read whole and shown by its first 259
// bytes at most (the part a list cell keeps), cut so that no double-byte
// character is split. A value that cannot be read at all gives "".
std::string ReadValueText(seam::IRegistry& reg, seam::RegKey key, const std::string& name);

// The bytes of value `name` of the open `key`, read as ReadValueText reads
// them (a kValueBuffer-byte buffer first, larger ones up to 1 MB for data
// that does not fit). False, with `data` empty, when it cannot be read.
bool ReadValueBytes(seam::IRegistry& reg, seam::RegKey key, const std::string& name, std::vector<uint8_t>& data);

// `text` as a list cell keeps it: at most 259 bytes, cut so that no
// double-byte character is split.
std::string TextForCell(std::string text);

// How much of a UTF-8 text its cell is made from: a cell shows far less, and
// a 2 MB address costs no more than a short one.
inline constexpr size_t kUtf8ShownBytes = 1024;

// At most `maxBytes` of UTF-8 text, never ending inside a character.
std::string_view CutUtf8(std::string_view text, size_t maxBytes);

// A UTF-8 text as a list cell shows it: code page 949 (a character it cannot
// spell is one '?'), cut as TextForCell cuts, made from its first
// kUtf8ShownBytes.
std::string CellTextOfUtf8(std::string_view utf8);

// Text `column` of `row` as the user sees it: a column the row keeps as
// UTF-8 (seam::TraceItem::utf8Columns) becomes its cell, any other stands
// as it is.
std::string ShownText(const seam::TraceItem& row, int column);

// The text ReadValueText makes of bytes that ReadValueBytes read.
std::string ValueTextOf(const std::vector<uint8_t>& data);

}  // namespace engine
