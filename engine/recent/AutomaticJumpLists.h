// Automatic jump lists (Recent\AutomaticDestinations): the list a right
// click on a taskbar button shows, one compound file per program, whose
// DestList stream indexes numbered streams, each a shell link. Every entry
// the user has not pinned is a row of its own; pinned entries are never
// listed, and a file whose pins cannot be read is left out whole, since
// nothing then tells its pins from the rest.
#pragma once

#include <cstddef>
#include <string>

#include "engine/core/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

// Far above the few hundred entries Windows keeps in one list; a larger file
// is not read, and so not listed.
inline constexpr size_t kJumpListReadLimit = 16 * 1024 * 1024;

inline constexpr const char16_t* kDestListStream = u"DestList";

// Adds a RECENT row for every unpinned entry of each automatic jump list in
// `recent`\AutomaticDestinations. Between files the scan stops as soon as
// the analysed flag is down.
void ScanAutomaticJumpLists(seam::IFileSystem& files, EngineState& state, seam::IView& view,
                            const std::u16string& recent);

}  // namespace engine
