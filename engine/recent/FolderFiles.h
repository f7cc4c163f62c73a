// The files of the Recent folders that a RECENT source reads, picked by
// extension as Windows matches one (ASCII letters in any case), and the row
// each becomes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/core/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

// The plain files directly in `folder` whose names end in `extension`; a
// name that is only the extension names no file of that kind, and a link
// is no plain file. None for a folder that is missing, cannot be listed or
// is reached through a link.
// A folder that is there but cannot be listed is noted as not read.
std::vector<seam::FileEntry> FilesWithExtension(seam::IFileSystem& files, EngineState& state,
                                                const std::u16string& folder, std::u16string_view extension);

// The six texts a RECENT file row shows; each is cut to a list cell.
struct FileRowTexts {
    std::string name;
    std::string read;    // code page 949 already, as labels are kept
    std::string folder;  // REGKEY
    std::string file;    // VALUe
    std::string data;
};

// Adds the row with its target, raising the RECENT counter.
void AddFileRow(EngineState& state, seam::IView& view, const FileRowTexts& texts, const seam::TraceTarget& target);

}  // namespace engine
