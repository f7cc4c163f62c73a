// The unattended command line: what Kestravin.exe was asked to do when it
// was started with arguments (Task Scheduler, a logon or logoff script, a
// shortcut). Outside input: parsed by one pure function that never fails on
// any text, and that says exactly what was wrong when the line is bad.
//
//   Kestravin.exe /clean[:CATEGORIES] [/report:PATH]
//   Kestravin.exe /analyse[:CATEGORIES] [/report:PATH]
//   Kestravin.exe /?
//
// CATEGORIES: comma-separated category codes in any letter case; without
// them RECENT and REGISTRY, the two that end no program and stop no service.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "seam/View.h"

namespace engine {

enum class RunMode {
    Window,   // no arguments: the main window, as always
    Usage,    // /? anywhere: print the usage, do nothing else
    Analyse,  // /analyse: list, clean nothing
    Clean,    // /clean: analyse, then clean what was found
};

enum class CommandError {
    None,
    UnknownSwitch,     // an argument that is no switch of ours (the argument)
    UnknownCategory,   // a code that is not a category (the code)
    EmptyList,         // "/clean:", or an empty item such as in "RECENT,,GRID" (the argument)
    EmptyReportPath,   // "/report:" with nothing after it
    RelativeReportPath,  // "/report:" with a path that is not absolute (the argument)
    RepeatedSwitch,    // the same switch twice (the second one)
    TwoActions,        // both /clean and /analyse (the second one)
    NoAction,          // neither /clean nor /analyse (e.g. only /report:PATH)
};

struct CommandLine {
    RunMode mode = RunMode::Window;
    // Which categories the run covers; meaningful for Analyse and Clean.
    bool categories[seam::kCategoryCount] = {};
    // The report file, UTF-8, as given; empty without /report. Set even when
    // another argument is bad, so the error can go to that file too.
    std::string reportPath;
    CommandError error = CommandError::None;
    // The argument (or list item) the error is about, UTF-8.
    std::string errorArgument;
};

// The arguments of a whole Windows command line (UTF-8), program name first,
// split as CommandLineToArgvW and the C runtime do: the program name ends at
// its closing quote or at the first blank; after it blanks separate
// arguments outside quotes, 2n backslashes before a quote give n backslashes
// and a quote that opens or closes, 2n+1 give n and a literal quote, other
// backslashes are literal, and "" inside quotes is one literal quote.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Interprets the arguments after the program name. Switch names are compared
// in any ASCII letter case. "/?" anywhere makes the mode Usage. On an error
// the mode is still the action asked for (Window when none), so the caller
// knows where the error's line must go; nothing is to be done.
CommandLine ParseArguments(const std::vector<std::string>& args);

// SplitCommandLine, then ParseArguments of all but the program name.
CommandLine ParseCommandLine(std::string_view commandLine);

}  // namespace engine
