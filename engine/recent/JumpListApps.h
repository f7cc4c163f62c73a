// The programs behind well-known automatic jump lists. A jump list file is
// named after its program's application id (a 64-bit hash of the program's
// path, in hexadecimal, without leading zeros), so the same program
// installed elsewhere, or another version of it, has another id.
#pragma once

#include <string>

namespace engine {

// The program whose jump list `fileName` is (an id, a dot and the file's
// extension, with or without its folder), as an ASCII product name; empty
// when the name does not begin with a known id.
std::string JumpListProgram(const std::string& fileName);

}  // namespace engine
