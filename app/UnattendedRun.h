// Kestravin.exe started with arguments: the unattended run of
// engine/Unattended.h, its report and its exit code, without any window or
// message box. Started without arguments, the program is the main window.
#pragma once

namespace app {

// Does what the command line asks when it has arguments and returns true
// with the process's exit code in `exitCode`; false (nothing done) when it
// has none, so the window opens.
bool RunFromCommandLine(int& exitCode);

}  // namespace app
