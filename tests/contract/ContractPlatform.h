// What the contract suite needs from the side under test. The same test files
// run natively against tests/fakes and, as contract_tests.exe, under Wine
// against the real registry, processes, service manager, WinINet and files.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "seam/Platform.h"

namespace contract {

class ContractPlatform {
public:
    virtual ~ContractPlatform() = default;

    virtual seam::Platform& Get() = 0;

    // A key path below HKEY_CURRENT_USER that no one else uses, e.g.
    // "Software\\KestravinContract\\<unique>"; removed with its subtree when
    // the object is destroyed.
    virtual std::string ScratchKey() = 0;

    // Sets a REG_SZ value under HKEY_CURRENT_USER\`path` (created when
    // missing) whose real name is `utf8Name`, which may hold characters that
    // code page 949 cannot spell; `text` is code page 949.
    virtual void SetUnicodeNamedText(const std::string& path, const std::string& utf8Name,
                                     const std::string& text) = 0;
    // Whether HKEY_CURRENT_USER\`path` holds a value of that real name.
    virtual bool UnicodeNamedValueExists(const std::string& path, const std::string& utf8Name) = 0;

    // Starts a process that idles until ended, running under the executable
    // file name `exeName` (e.g. "qdownagent.exe"); returns its process id, 0 on failure.
    virtual uint32_t StartIdleProcess(const std::string& exeName) = 0;
    // The same, showing a visible top-level window; the process ends when
    // that window is closed. Returns once the window is there.
    virtual uint32_t StartWindowedProcess(const std::string& exeName) = 0;

    // Installs and starts a service named `name` that accepts the stop control,
    // reporting SERVICE_STOP_PENDING for `pendingPolls` status queries (about
    // one second each) before SERVICE_STOPPED. Removed when the object is destroyed.
    virtual bool InstallService(const std::string& name, int pendingPolls) = 0;

    // Installs and starts a service named `name` that does not stop: with
    // `acceptsStop` false it does not accept the stop control (ControlService
    // fails); with true it accepts the control and goes on RUNNING. Removed
    // when the object is destroyed.
    virtual bool InstallUnstoppableService(const std::string& name, bool acceptsStop) = 0;
    // The process id of the installed service `name` while it runs, as the
    // side under test tells it apart from the seam; 0 when it does not run.
    virtual uint32_t ServiceProcessId(const std::string& name) = 0;

    // Whether the side under test is Wine, told apart by what Wine installs
    // in every prefix (its own registry key), not by ntdll's export that
    // ISystem::WineVersion asks. The fakes play a Wine prefix with its own
    // processes running, as the suite's Windows side meets it here.
    virtual bool HostIsWine() = 0;

    // A folder of its own for file tests, an absolute UTF-16 path; removed
    // with everything in it when the object is destroyed.
    virtual std::u16string ScratchFolder() = 0;
    // Makes the folder `path` (its parent must exist).
    virtual bool MakeFolder(const std::u16string& path) = 0;
    // Makes the file `path` (its folder must exist) holding `bytes`.
    virtual bool MakeFile(const std::u16string& path, const std::string& bytes) = 0;
    // Gives the file the read-only attribute.
    virtual bool MakeReadOnly(const std::u16string& path) = 0;
    // Another program opens the file for reading and writing, letting others
    // read and write it but not delete it, and holds it until the object is
    // destroyed.
    virtual bool HoldOpenElsewhere(const std::u16string& path) = 0;
    // Whether a file or folder of that path exists, asked apart from the seam.
    virtual bool Exists(const std::u16string& path) = 0;

    // Base URL of a local HTTP server that answers GET /lines with the body
    // "one\ntwo\nthree\n" and GET /stall by accepting and never answering.
    virtual std::string TestServerBase() = 0;
};

std::unique_ptr<ContractPlatform> MakeContractPlatform();

}  // namespace contract
