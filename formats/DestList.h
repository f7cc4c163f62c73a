// The DestList stream of an automatic jump list: a 32-byte header (format
// version, entry count, pinned count) and one record per entry, naming the
// numbered stream that holds the entry's shell link. Versions 1 (Windows 7)
// and 2 to 4 (Windows 10 and later) differ in the size of a record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace engine {

struct DestListEntry {
    uint32_t number = 0;
    // The numbered stream holding the entry's link: the number in lower-case
    // hexadecimal ("1", "1a").
    std::u16string streamName;
    // A pin status of -1 leaves the entry unpinned; 0 and up is its place
    // among the pins.
    bool pinned = false;
    int32_t pinOrder = -1;
    // The record's path or name text, code page 949.
    std::string path;
    // Where the entry's record lies within the stream.
    size_t offset = 0;
    size_t length = 0;
};

struct DestList {
    uint32_t version = 0;
    uint32_t pinnedCount = 0;  // as the header states it
    std::vector<DestListEntry> entries;
};

// False when the stream is not a DestList this reader knows: a short header,
// an unknown version, records running past the data or fewer of them than
// the header counts, or two records of one entry number. An empty stream is
// an empty list. The work is bounded by the data's size, not by the counts.
bool ParseDestList(const uint8_t* data, size_t size, DestList& out);

// The stream without the records of the entries `drop` names, its entry
// count lowered to match; every other byte, each pinned record among them,
// stays as it was. False, with `out` empty, when the stream does not parse,
// or `drop` names an entry that is pinned or not in the list.
bool DropDestListEntries(const std::vector<uint8_t>& destList, const std::set<uint32_t>& drop,
                         std::vector<uint8_t>& out);

}  // namespace engine
