// Korean texts are written as UTF-8 in the source; Win32's ANSI calls and the
// registry data the engine handles are code page 949. This is the one place
// that converts between them (WideCharToMultiByte on Windows, iconv natively).
#pragma once

#include <string>
#include <string_view>

namespace seam {

// UTF-8 to code page 949. Characters 949 cannot hold become '?'.
std::string Cp949FromUtf8(std::string_view utf8);
// Code page 949 to UTF-8, for tests and diagnostics.
std::string Utf8FromCp949(std::string_view cp949);

}  // namespace seam
