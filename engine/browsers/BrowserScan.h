// Analysis of the browsers' profiles: RECENT lists each visited address and
// search term of every History; REGISTRY each saved login of Login Data and
// Login Data For Account and each autosaved form entry of Web Data. Every
// database is read whole into memory (at most kDatabaseReadLimit), with its
// -wal file where that is not empty (as much again at most), and opened
// there, so a browser that runs and holds it locked is no obstacle, the rows
// it has not yet checkpointed are listed too, and nothing is written.
#pragma once

#include "engine/core/EngineState.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

// The rows of every database of `category` (kRecent or kRegistry) in every
// profile, raising the counter once per row. Between databases and rows the
// scan stops as soon as the analysed flag is down.
void ScanBrowsers(seam::IFileSystem& files, EngineState& state, seam::IView& view, seam::Category category);

}  // namespace engine
