// Shell links (.lnk files, and the numbered streams of a jump list): where a
// link points, read from its bytes alone. Every read is bounded by the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace engine {

struct ShellLinkTarget {
    // The target's full path in code page 949, from the link's target ID
    // list when that names a path on a drive, else from its link info's
    // local base path (or network share) and common path suffix, Unicode
    // forms before ANSI. Empty when neither names it; the caller then names
    // the row after the link itself.
    std::string path;
    // Bytes the link occupies from its first byte through its terminal extra
    // data block; the whole data when the link runs to its end without one.
    size_t size = 0;
    // True when the terminal block was found, so `size` marks where whatever
    // follows the link begins.
    bool complete = false;
};

// False when the data is not a shell link: no 76-byte header with the
// shell link class id, or a target ID list or link info that runs past the
// data.
bool ReadShellLink(const uint8_t* data, size_t size, ShellLinkTarget& out);

}  // namespace engine
