// The narrow seam between the engine and the operating system.
//
// The engine (registry helpers, scanners, removers, the driver, version-reply
// handling) sees the machine only through these interfaces. seam/win32 binds
// them to the real Win32 calls for Kestravin.exe; tests/fakes binds them to
// in-memory models for the native unit tests. One contract suite
// (tests/contract) runs against both, so the fakes cannot drift.
//
// Every text is ANSI in code page 949, as the Win32 "A" calls take it, but
// for the files' paths and names (IFileSystem), which are UTF-16.
// Results are Win32 error codes (LONG / DWORD) where the Win32 call returns
// one, so the engine tests the same numbers on both sides.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace seam {

// Win32 error codes that the engine distinguishes.
enum : long {
    kErrSuccess = 0,
    kErrFileNotFound = 2,
    kErrAccessDenied = 5,
    kErrInvalidHandle = 6,
    // ERROR_DUP_NAME: the name stands for several values (see IRegistry).
    kErrAmbiguousName = 52,
    kErrFileExists = 80,
    kErrMoreData = 234,
    kErrNoMoreItems = 259,
};

// Registry value types the engine and its tests use (winnt.h numbers).
enum : uint32_t { kRegNone = 0, kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4 };

enum class RegRoot { CurrentUser, LocalMachine };

// How a key is opened: RegOpenKeyA takes no mask (Default); the others are
// KEY_ALL_ACCESS, KEY_READ and KEY_WRITE.
//
// Keys below LocalMachine are always opened in the machine's own (64-bit)
// view: the 32-bit program on 64-bit Windows then reads and deletes exactly
// the keys that the 64-bit build, which is what the tests run, does, and a key
// path that names Wow6432Node reaches the 32-bit view explicitly. On 32-bit
// Windows there is one view and nothing changes.
enum class RegAccess { Default, AllAccess, Read, Write };

// An open key as the platform hands it out; 0 is "none". Owned by whoever
// opened it: close it with CloseKey (see ScopedRegKey in seam/Scoped.h).
using RegKey = std::uintptr_t;

// Value names and the ANSI calls: the registry keeps names in UTF-16, and a
// name with a character that code page 949 cannot spell comes out of
// RegEnumValueA spelled differently ('?' in its place), a spelling that the
// ANSI calls then cannot find. QueryValue and DeleteValue take such a name as
// the enumeration gave it: when no value has it, they look it up among the
// key's real (wide) names, and when exactly one value is spelled that way in
// code page 949, they work on that value. When several are, they touch
// nothing and give kErrAmbiguousName, so no caller mistakes them for gone.
class IRegistry {
public:
    virtual ~IRegistry() = default;

    // RegOpenKeyExA (or RegOpenKeyA for RegAccess::Default). `out` is 0 on failure.
    virtual long OpenKey(RegRoot root, const std::string& path, RegAccess access, RegKey& out) = 0;
    // RegCreateKeyExA: opens the key, creating it (and missing parents) when absent.
    virtual long CreateKey(RegRoot root, const std::string& path, RegAccess access, RegKey& out) = 0;
    virtual void CloseKey(RegKey key) = 0;

    // RegEnumValueA with a name buffer of `capacity` bytes (terminator included).
    // A name that does not fit gives kErrMoreData; past the last value, kErrNoMoreItems.
    virtual long EnumValueName(RegKey key, uint32_t index, std::string& name, uint32_t capacity) = 0;
    // RegEnumValueA with both buffers: value `index`'s name (as EnumValueName
    // spells it, in `nameCapacity` bytes, terminator included), its type and
    // its data (as QueryValue gives it, in `dataCapacity` bytes), in one call.
    // When either does not fit, kErrMoreData with `name` and `data` empty:
    // how much room would do is not told, as Windows and Wine count string
    // data differently then. Past the last value, kErrNoMoreItems. `type`
    // may be null; it is set on success.
    virtual long EnumValue(RegKey key, uint32_t index, std::string& name, uint32_t nameCapacity,
                           std::vector<uint8_t>& data, uint32_t dataCapacity, uint32_t* type) = 0;
    // RegQueryValueExA into a buffer of `capacity` bytes. On success `data` holds the
    // value's bytes (string data in code page 949); when they do not fit,
    // kErrMoreData and `data` is left empty. `type` may be null. A name the
    // enumeration spelled lossily is resolved as described above.
    virtual long QueryValue(RegKey key, const std::string& name, std::vector<uint8_t>& data,
                            uint32_t capacity, uint32_t* type) = 0;
    // RegSetValueExA with the given type and bytes.
    virtual long SetValue(RegKey key, const std::string& name, uint32_t type,
                          const std::vector<uint8_t>& data) = 0;
    // RegDeleteValueA; a name the enumeration spelled lossily is resolved as
    // described above and its value deleted with RegDeleteValueW.
    virtual long DeleteValue(RegKey key, const std::string& name) = 0;
    // RegEnumValueW: value `index`'s real name, whole, for a name the ANSI
    // enumeration spelled lossily; the same index names the same value.
    virtual long EnumValueNameWide(RegKey key, uint32_t index, std::u16string& name) = 0;
    // RegDeleteValueW: exactly the value of this real name.
    virtual long DeleteValueWide(RegKey key, const std::u16string& name) = 0;

    // RegEnumKeyA with a name buffer of `capacity` bytes.
    virtual long EnumSubkey(RegKey key, uint32_t index, std::string& name, uint32_t capacity) = 0;
    // RegDeleteKeyA: removes an empty key (values and all) below the root.
    virtual long DeleteKey(RegRoot root, const std::string& path) = 0;
};

struct ProcessEntry {
    uint32_t pid = 0;
    std::string exeName;  // szExeFile as the snapshot reports it
    // th32ParentProcessID: the id of the process that started it, which may
    // have ended since and its id gone to a later process.
    uint32_t parentPid = 0;
};

using ProcHandle = std::uintptr_t;  // 0 is "none"

enum class WaitResult { Signalled, TimedOut, Failed };

// Whether Windows marks a process critical (its end stops the system).
enum class Criticality { NotCritical, Critical, Unknown };

class IProcesses {
public:
    virtual ~IProcesses() = default;

    // A toolhelp snapshot of all processes, walked with Process32First/Next.
    // False when the snapshot cannot be taken or its first entry read.
    virtual bool Snapshot(std::vector<ProcessEntry>& out) = 0;
    virtual uint32_t CurrentProcessId() = 0;
    // OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION)
    // (plain query where limited is not known): only what ending it takes,
    // and the questions asked before; 0 on failure.
    virtual ProcHandle Open(uint32_t pid) = 0;
    virtual bool GetExitCode(ProcHandle process, uint32_t& code) = 0;
    virtual bool Terminate(ProcHandle process, uint32_t exitCode) = 0;
    // WaitForSingleObject with a finite time-out in milliseconds.
    virtual WaitResult Wait(ProcHandle process, uint32_t timeoutMs) = 0;
    virtual void Close(ProcHandle process) = 0;
    // GetProcessTimes: when the process behind the handle was created, in
    // FILETIME ticks (100 ns since 1601). An id is reused once its process
    // is gone; the id and this time together name one process.
    virtual bool StartTime(ProcHandle process, uint64_t& ticks) = 0;
    // The same for a process known only by its id, opened for limited query
    // alone; false when it cannot be opened or asked.
    virtual bool StartTimeOf(uint32_t pid, uint64_t& ticks) = 0;
    // The executable's file name, without its folder, of the process behind
    // the handle (QueryFullProcessImageNameA); false where it cannot be asked.
    virtual bool ImageName(ProcHandle process, std::string& exeName) = 0;
    // ProcessIdToSessionId. Services run in session 0. Wine answers with the
    // caller's own session for every process.
    virtual bool SessionOf(uint32_t pid, uint32_t& session) = 0;
    // Posts WM_CLOSE to every visible top-level window of the process, as a
    // user closing it would; the number of windows that were asked.
    virtual int CloseWindows(uint32_t pid) = 0;
    // IsProcessCritical where kernel32 exports it (Windows 8.1 and later),
    // else NtQueryInformationProcess(ProcessBreakOnTermination) from ntdll, on
    // a handle opened for limited query (plain query where limited is not
    // known). Unknown when the process cannot be opened for the query or
    // neither call answers (Wine implements neither).
    virtual Criticality QueryCritical(uint32_t pid) = 0;
};

using SvcHandle = std::uintptr_t;  // 0 is "none"

enum : uint32_t { kSvcStopped = 1, kSvcStartPending = 2, kSvcStopPending = 3, kSvcRunning = 4 };

class IServices {
public:
    virtual ~IServices() = default;

    // OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS); 0 on failure.
    virtual SvcHandle OpenManager() = 0;
    // OpenServiceA(manager, name, SERVICE_ALL_ACCESS); 0 on failure.
    virtual SvcHandle OpenService(SvcHandle manager, const std::string& name) = 0;
    // ControlService(SERVICE_CONTROL_STOP).
    virtual bool ControlStop(SvcHandle service) = 0;
    // QueryServiceStatus: dwCurrentState.
    virtual bool QueryState(SvcHandle service, uint32_t& state) = 0;
    virtual void Close(SvcHandle handle) = 0;
    // The process ids of every running Win32 service (EnumServicesStatusExA,
    // SC_ENUM_PROCESS_INFO, through a manager opened only to enumerate, which
    // needs no administrator). False when the manager cannot be asked.
    virtual bool ServiceProcessIds(std::vector<uint32_t>& pids) = 0;
};

// Bounds of one HTTP exchange; an unresponsive server costs at most about
// connect + receive milliseconds per request.
struct NetTimeouts {
    uint32_t connectMs = 4000;
    uint32_t receiveMs = 4000;
};

class INet {
public:
    virtual ~INet() = default;

    // InternetGetConnectedState(&flags, 0) == 1.
    virtual bool IsOnline() = 0;
    // HTTP GET of `url`, sent without cache. On a reply (any status) the body's
    // lines, without their line ends, go to `lines`, at most `maxBytes` of body
    // read. False when no reply arrived within the time-outs (connection refused,
    // stalled, reset).
    virtual bool FetchLines(const std::string& url, const NetTimeouts& timeouts,
                            size_t maxBytes, std::vector<std::string>& lines) = 0;
    // HTTP GET of `url` into a new file `path` (UTF-16), created only where
    // no file of that name exists (CREATE_NEW): kErrFileExists then, and
    // nothing is touched. kErrSuccess when the whole body was written; on any
    // other failure the file this call created is removed again, and no
    // other file ever is.
    virtual long DownloadToNewFile(const std::string& url, const std::u16string& path,
                                   const NetTimeouts& timeouts) = 0;
    // DeleteUrlCacheEntryA.
    virtual void DeleteCacheEntry(const std::string& url) = 0;
};

class IShell {
public:
    virtual ~IShell() = default;

    // ShellExecuteA(NULL, "open", target, NULL, NULL, SW_SHOWNORMAL) for a file or a URL.
    virtual bool ShellOpen(const std::string& target) = 0;
};

// A file held open from before its signature is checked until it is
// started, so that what runs is what was checked; 0 is "none".
using HeldFile = std::uintptr_t;

// What the Authenticode signature of a held file says.
struct SignatureInfo {
    // WinVerifyTrust (WINTRUST_ACTION_GENERIC_VERIFY_V2, no user interface,
    // revocation checked along the whole chain) passed, on a chain that ends
    // in a root the machine trusts.
    bool bVerified = false;
    // The signing certificate's subject common name, as UTF-16.
    std::u16string commonName;
    // SHA-256 of the signing certificate (its DER encoding), 64 upper-case
    // hexadecimal digits; empty when it cannot be computed.
    std::string thumbprint;
    // The file's version resource (VS_FIXEDFILEINFO's file version, most
    // significant part first: 1.0.0.2 is 0x0001000000000002); 0 without one.
    uint64_t version = 0;
};

class ITrust {
public:
    virtual ~ITrust() = default;

    // Opens `path` for reading while others may only read it (no write, no
    // delete, no rename) until Release; 0 when it cannot be opened.
    virtual HeldFile Hold(const std::u16string& path) = 0;
    // The signature of the held file, read through its handle. A file
    // without a valid signature gives bVerified false.
    virtual SignatureInfo Inspect(HeldFile file) = 0;
    // Starts the held file (ShellExecuteExW "open"); it stays held.
    virtual bool Start(HeldFile file) = 0;
    virtual void Release(HeldFile file) = 0;
    // The running program's own version resource, as SignatureInfo::version.
    virtual uint64_t OwnVersion() = 0;
};

class ISystem {
public:
    virtual ~ISystem() = default;

    // GetFileAttributesA succeeds: a file or directory of that path exists.
    virtual bool FileExists(const std::string& path) = 0;
    // GetModuleFileNameA(NULL) of the running program.
    virtual std::string ModulePath() = 0;
    virtual void Sleep(uint32_t ms) = 0;
    // Wine's version text (e.g. "8.0") when the program runs under Wine,
    // which ntdll tells by exporting wine_get_version; empty on Windows.
    // Wine starts processes of its own for the prefix, which a program must
    // leave alone as it leaves Windows' own.
    virtual std::string WineVersion() = 0;
};

// Files. Paths and names are UTF-16 exactly as Windows holds them; only a
// display text is converted (to code page 949, '?' for what it cannot
// spell), and removal always takes the exact path.
enum : long {
    kErrPathNotFound = 3,
    kErrSharingViolation = 32,  // a program holds the file open
    // ERROR_REPARSE_POINT_ENCOUNTERED: the path, or a folder on the way to
    // it, is a link, a junction or another reparse point, so that what it
    // names may lie anywhere; it is neither read nor changed.
    kErrLinked = 4395,
};

enum : uint32_t {
    kAttrReadOnly = 0x1,
    kAttrHidden = 0x2,
    kAttrSystem = 0x4,
    kAttrDirectory = 0x10,
    kAttrReparsePoint = 0x400,
};

enum class KnownFolder { RoamingAppData, LocalAppData, Recent };

struct FileEntry {
    std::u16string name;  // the entry's own name, no folder
    uint64_t size = 0;
    uint32_t attributes = 0;  // FILE_ATTRIBUTE_* bits
};

// How a removal came out, from the Win32 error code.
enum class FileFate { Removed, Gone, InUse, Denied, Linked, Failed };
inline FileFate FileFateOf(long error) {
    switch (error) {
        case kErrSuccess: return FileFate::Removed;
        case kErrFileNotFound:
        case kErrPathNotFound: return FileFate::Gone;
        case kErrSharingViolation: return FileFate::InUse;
        case kErrAccessDenied: return FileFate::Denied;
        case kErrLinked: return FileFate::Linked;
        default: return FileFate::Failed;
    }
}

// A path longer than MAX_PATH is reached as well (the Win32 side prefixes
// "\\?\"). Callers tell a missing file or folder only by FileFateOf()
// giving Gone: whether that is kErrFileNotFound or kErrPathNotFound depends
// on which part of the path is missing.
// A folder or file held in place; let go when destroyed.
class IFileHold {
public:
    virtual ~IFileHold() = default;
};

class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    // SHGetFolderPathW of the current user's folder, no trailing backslash.
    // Recent, which any program of the user can point anywhere through
    // User Shell Folders, is refused (kErrLinked, with the path it names)
    // when it lies outside the user's profile folder.
    virtual long KnownFolderPath(KnownFolder folder, std::u16string& path) = 0;
    // An elevated run must not be led by a link out of the folders it was
    // pointed at: every call below refuses (kErrLinked) a path that is a
    // link or reaches its file through one, seen from the handle it opens
    // (its final path is not the path asked for). An entry that is itself a
    // reparse point is listed with kAttrReparsePoint, for the caller to pass by.
    //
    // FindFirstFileW/FindNextFileW over `folder`\*: every entry but "." and "..",
    // in no particular order. kErrPathNotFound when the folder is missing.
    virtual long ListFolder(const std::u16string& folder, std::vector<FileEntry>& entries) = 0;
    // The first `maxBytes` bytes of the file at most (all of a smaller one),
    // opened for reading while others may read, write and delete it.
    virtual long ReadFile(const std::u16string& path, size_t maxBytes, std::vector<uint8_t>& data) = 0;
    // Deletes the file through the handle that was checked, never by its
    // path again: kErrSharingViolation while a program holds the file open,
    // kErrAccessDenied for a read-only file or one the user may not delete.
    virtual long DeleteFile(const std::u16string& path) = 0;
    // kErrSuccess for an ordinary file reached without a link; kErrLinked,
    // or the error that opening it gives (kErrFileNotFound for none). Asked
    // before a library that opens files by path (SQLite) changes one.
    virtual long CheckPlainFile(const std::u16string& path) = 0;
    // Keeps the folder or file at `path`, reached without a link, from being
    // renamed, deleted or put elsewhere for as long as the hold lives, so
    // that a library opening it by its path afterwards finds that one;
    // others may still read and write it. Null, with the reason in `error`
    // (kErrLinked among them), when it cannot be held.
    virtual std::unique_ptr<IFileHold> HoldPlain(const std::u16string& path, bool bFolder, long& error) = 0;
    // The path as SQLite's sqlite3_open_v2 takes it (UTF-8), naming the same file.
    virtual std::string Utf8Path(const std::u16string& path) = 0;
    // CreateDirectoryW with the default security (a folder below the user's
    // profile inherits the profile's: only the user and the system may
    // write it). A folder already there is kErrSuccess; a file of that name
    // is not.
    virtual long CreateFolder(const std::u16string& path) = 0;
};

// Compound files (structured storage), the container of a jump list, are
// changed only through Windows' own implementation of the format, so that
// what is left is a file its owner reads as it always did.
enum : long {
    kErrInvalidData = 13,  // ERROR_INVALID_DATA: the planned change was refused
};

// What one edit does to the root storage: the streams it destroys, and the
// new content of the stream the plan was made from.
struct StreamEdit {
    std::vector<std::u16string> destroy;
    std::vector<uint8_t> content;
};

// Decides an edit from the current content of the stream; false refuses it.
using StreamEditPlan = std::function<bool(const std::vector<uint8_t>& stream, StreamEdit& edit)>;

class ICompoundFiles {
public:
    virtual ~ICompoundFiles() = default;

    // StgOpenStorageEx(path, read-write, exclusive, transacted): reads the
    // root storage's stream `stream` whole (kErrInvalidData when it is
    // missing or larger than `maxBytes`), hands it to `plan`, then destroys
    // the streams the plan names (one already gone is no failure), writes the
    // stream's new content (which may not be empty: Wine drops an emptied
    // stream from the file) and commits once. Nothing of the file changes
    // unless all of it succeeds: kErrInvalidData when the plan refuses or
    // gives no content, kErrSharingViolation while a program holds the file,
    // kErrAccessDenied for a read-only file.
    virtual long EditStreams(const std::u16string& path, const std::u16string& stream, size_t maxBytes,
                             const StreamEditPlan& plan) = 0;
};

// The machine as the engine sees it.
struct Platform {
    IRegistry& registry;
    IProcesses& processes;
    IServices& services;
    INet& net;
    ISystem& system;
    IFileSystem& files;
    IShell& shell;
    ITrust& trust;
    ICompoundFiles& compoundFiles;
};

}  // namespace seam
