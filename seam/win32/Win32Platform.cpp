#include "seam/win32/Win32Platform.h"

#include "seam/win32/Win32Parts.h"

namespace seam {

struct Win32Platform::Parts {
    std::unique_ptr<IRegistry> registry = MakeWin32Registry();
    std::unique_ptr<IProcesses> processes = MakeWin32Processes();
    std::unique_ptr<IServices> services = MakeWin32Services();
    std::unique_ptr<INet> net = MakeWin32Net();
    std::unique_ptr<ISystem> system = MakeWin32System();
    std::unique_ptr<IFileSystem> files = MakeWin32FileSystem();
    std::unique_ptr<IShell> shell = MakeWin32Shell();
    std::unique_ptr<ITrust> trust = MakeWin32Trust();
    std::unique_ptr<ICompoundFiles> compoundFiles = MakeWin32CompoundFiles();
};

Win32Platform::Win32Platform()
    : m_parts(std::make_unique<Parts>()),
      m_platform(std::make_unique<Platform>(Platform{*m_parts->registry, *m_parts->processes,
                                                     *m_parts->services, *m_parts->net,
                                                     *m_parts->system, *m_parts->files,
                                                     *m_parts->shell, *m_parts->trust,
                                                     *m_parts->compoundFiles})) {}

Win32Platform::~Win32Platform() = default;

}  // namespace seam
