// Writes compound files (version 3, 512-byte sectors) of streams in the root
// storage, as the jump lists are: the fake's edits write through it, and
// tests build jump lists with it (pinned entries, many entries, later
// DestList versions) that no public sample has. Streams under the mini
// stream cut-off live in the mini stream, as the format requires, so
// Windows' own structured storage reads these files too.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace fakes {

using CompoundStream = std::pair<std::u16string, std::vector<uint8_t>>;

// Names are at most 31 UTF-16 units and unique ignoring case.
std::vector<uint8_t> WriteCompoundFile(const std::vector<CompoundStream>& streams);

}  // namespace fakes
