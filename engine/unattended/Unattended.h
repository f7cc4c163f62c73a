// The unattended run: the engine's analysis and cleaning passes without a
// window (engine/HeadlessView.h), and what they came to, for the report and
// the exit code. No version check, no update, no message: the only request
// to the maker's server is the passes' usage count, as the switch allows.
#pragma once

#include <string>
#include <vector>

#include "engine/core/Categories.h"
#include "engine/core/PassNotes.h"
#include "seam/Platform.h"
#include "seam/View.h"

namespace engine {

// Exit codes of Kestravin.exe started with arguments.
enum ExitCode : int {
    kExitDone = 0,          // every trace cleaned (or listed, for /analyse); also /?
    kExitSomeLeft = 1,      // some traces were not cleaned
    kExitBadCommand = 2,    // a bad command line: nothing was analysed or cleaned
    kExitOtherCopy = 3,     // another copy of Kestravin runs: nothing was done
    kExitNoReport = 4,      // the report file could not be written, or not whole
};

struct LeftTrace {
    seam::TraceItem row;
    RowFate why = RowFate::StillThere;  // as its remover said
};

struct UnattendedOutcome {
    bool bClean = false;
    bool chosen[seam::kCategoryCount] = {};
    int found[seam::kCategoryCount] = {};
    int cleaned[seam::kCategoryCount] = {};
    // Analyse: every trace found, top first as the window's list would hold them.
    std::vector<seam::TraceItem> listed;
    // Clean: every trace that stayed, with why.
    std::vector<LeftTrace> left;
    // What either pass met and could not do: a database too large to read,
    // a folder, jump list or database that could not be read, a file that
    // stayed when its rows went.
    std::vector<PassNote> notes;

    // A cleaning that left a file did not clean everything there was; a
    // place either run could not read may hold traces still.
    int ExitCode() const { return left.empty() && notes.empty() ? kExitDone : kExitSomeLeft; }
};

// Analyses the chosen categories and, when `bClean`, cleans what was found.
UnattendedOutcome RunUnattended(seam::Platform& platform, const bool (&chosen)[seam::kCategoryCount], bool bClean);

}  // namespace engine
