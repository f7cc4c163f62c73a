// Byte-level work on code page 949 text. A lead byte (0x81-0xFE) starts a
// double-byte character whose trail byte can be any of 0x41-0xFE, so it can
// look like an ASCII capital or a backslash (0x5C); every search and case
// change here steps over whole characters and never reads a trail byte as ASCII.
#pragma once

#include <string>
#include <string_view>

namespace engine {

inline bool IsCp949LeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// ASCII letters lowered; double-byte characters kept as they are.
std::string LowerAscii949(std::string_view text);

// Index of the last single-byte `c` (ASCII) that is a character of its own,
// or npos.
size_t FindLastChar949(std::string_view text, char c);

// Index of the first occurrence of `needle` (ASCII) that begins on a
// character boundary, or npos.
size_t FindText949(std::string_view text, std::string_view needle);

}  // namespace engine
