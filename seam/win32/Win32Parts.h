// The parts of the real platform, one source file each. Only
// Win32Platform.cpp puts them together; nothing else needs these.
#pragma once

#include <memory>

#include "seam/Platform.h"

namespace seam {

std::unique_ptr<IRegistry> MakeWin32Registry();
std::unique_ptr<IProcesses> MakeWin32Processes();
std::unique_ptr<IServices> MakeWin32Services();
std::unique_ptr<INet> MakeWin32Net();
std::unique_ptr<ISystem> MakeWin32System();
std::unique_ptr<IFileSystem> MakeWin32FileSystem();
std::unique_ptr<IShell> MakeWin32Shell();
std::unique_ptr<ITrust> MakeWin32Trust();
std::unique_ptr<ICompoundFiles> MakeWin32CompoundFiles();

}  // namespace seam
