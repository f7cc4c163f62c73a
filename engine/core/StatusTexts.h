// The status line's texts, in code page 949, ready for the window to draw.
// Each is converted once, on first use (safe from any thread).
#pragma once

#include <string>

namespace engine {

// Before the first pass, and after a choice that left nothing to clean.
const std::string& StatusWaiting();
// Analysis found nothing.
const std::string& StatusNoItems();
// Analysis found traces: invites the user to start cleaning.
const std::string& StatusCleanPrompt();
// Cleaning removed every trace it attempted.
const std::string& StatusCleanDone();
// Cleaning left `failed` traces in place because their removal failed.
std::string StatusCleanFailed(int failed);
// As StatusCleanFailed, where a running browser kept some of them: close it
// and clean again.
std::string StatusCleanBrowserOpen(int failed);
// Analysis left out `files` databases too large to read, the first at
// `firstPath`: named by its file name.
std::string StatusAnalysedTooLarge(int files, const std::u16string& firstPath);
// Analysis met a folder, jump list or database it could not read (and
// perhaps ones too large): how many places, the first one named.
std::string StatusAnalysedUnread(int places, const std::u16string& firstPath);
// Every listed row went, but `files` files meant to go with them stayed.
std::string StatusCleanFilesLeft(int files, const std::u16string& firstPath);

}  // namespace engine
