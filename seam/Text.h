// Korean texts are written as UTF-8 in the source; Win32's ANSI calls and the
// registry data the engine handles are code page 949; file names and paths
// are UTF-16 as Windows holds them. This is the one place that converts
// between them (WideCharToMultiByte on Windows, iconv natively).
//
// A character that code page 949 cannot spell becomes one '?' however many
// bytes or UTF-16 units it takes: such a text is for display only, never for
// finding the thing it names again.
#pragma once

#include <string>
#include <string_view>

namespace seam {

// UTF-8 to code page 949.
std::string Cp949FromUtf8(std::string_view utf8);
// Code page 949 to UTF-8, for tests and diagnostics.
std::string Utf8FromCp949(std::string_view cp949);
// UTF-16 (a file name or path) to code page 949, for display.
std::string Cp949FromUtf16(std::u16string_view utf16);
// Code page 949 to UTF-16: the path an ANSI call on a Korean Windows would
// reach. Every code page 949 character has its UTF-16 counterpart.
std::u16string Utf16FromCp949(std::string_view cp949);

// UTF-8 and UTF-16 both spell every character: these are exact. A broken
// sequence becomes U+FFFD, one for each of its bytes (or for the unpaired
// surrogate).
std::u16string Utf16FromUtf8(std::string_view utf8);
std::string Utf8FromUtf16(std::u16string_view utf16);

// A fixed UTF-8 text (a literal, or other text that lives as long as the
// program) in code page 949, converted on its first use and kept: the one
// home of texts a window or a scan asks for again and again.
const std::string& FixedCp949(const char* utf8);

}  // namespace seam
