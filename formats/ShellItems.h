// Shell item ID lists, as the file dialogs keep them (OpenSavePidlMRU): a run
// of items, each starting with its 16-bit size, ended by a size of 0. Only
// what a trace row needs is read: the file name held by the last item.
// Every read is bounded by the data's length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace engine {

// The name of the file entry that ends the list at `data` (`size` bytes), in
// code page 949: its long name from the 0xBEEF0004 extension block, else its
// short name. False when the list does not parse (an item running past the
// data, no terminating 0 size) or its last item is not a file entry with a
// name.
bool ShellItemListFileName(const uint8_t* data, size_t size, std::string& cp949);

// The full path a list names when it runs from the computer's root through a
// drive (C:\ say) and file entries (each by its long name, else its short
// name), joined by backslashes, in code page 949. False for a list that does
// not parse, or that passes through anything else (a network place, a known
// folder, a control panel item): its path is not written in the list itself.
bool ShellItemListPath(const uint8_t* data, size_t size, std::string& cp949);

}  // namespace engine
