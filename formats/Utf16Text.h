// UTF-16LE texts found inside binary registry data (Explorer's and the file
// dialogs' lists keep names that way), turned into code page 949.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace engine {

// `units` UTF-16LE code units at `bytes` as code page 949; an unpaired
// surrogate, like any character 949 cannot hold, becomes '?'.
std::string Cp949FromUtf16Le(const uint8_t* bytes, size_t units);

// The text a "unicode name" value begins with: UTF-16LE units up to the
// first 0x0000 unit, at least one unit and none below 0x20, found within
// `data`. False when the data does not begin with such a text.
bool LeadingUtf16Name(const std::vector<uint8_t>& data, std::string& cp949);

}  // namespace engine
