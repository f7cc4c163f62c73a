// Custom jump lists (.customDestinations-ms): the lists programs build
// themselves, in categories of shell links. Only the links' targets are
// read, to name the file's row; the file is removed whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace engine {

// The target paths (code page 949) of the shell links in the file, in file
// order, skipping links that name none. Reading stops at the first entry
// that is not a shell link or does not end within the data, since nothing
// else gives an entry's size; false when not even the header reads.
bool CustomDestinationTargets(const uint8_t* data, size_t size, std::vector<std::string>& paths);

}  // namespace engine
