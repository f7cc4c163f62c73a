#include "seam/win32/PlainFiles.h"

#include <vector>

#include "seam/Platform.h"

namespace seam {
namespace {

// Calls of Windows Vista and later, looked up where they are made: on
// Windows XP a file cannot be a symbolic link, and a folder that is a
// junction shows as a reparse point on the way.
using FinalPathFn = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
using SetInformationFn = BOOL(WINAPI*)(HANDLE, int, LPVOID, DWORD);
constexpr int kFileDispositionInfo = 4;  // FILE_INFO_BY_HANDLE_CLASS
constexpr DWORD kFinalPathNormalizedDos = 0;  // FILE_NAME_NORMALIZED | VOLUME_NAME_DOS
struct DispositionInfo {
    BOOLEAN bDelete;
};

template <typename Fn>
Fn Kernel32(const char* name) {
    HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(kernel, name))) : nullptr;
}

// What GetFinalPathNameByHandleW gives ("\\?\C:\a", "\\?\UNC\srv\share\a")
// in the form callers write paths ("C:\a", "\\srv\share\a").
std::wstring WithoutLongPrefix(const std::wstring& path) {
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0) return path.substr(4);
    return path;
}

std::wstring WithoutTrailingSlash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

// The absolute form of what the caller asked for: "." and ".." resolved,
// slashes turned, as the final path is written.
bool FullPath(const std::wstring& path, std::wstring& full) {
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return false;
    std::vector<wchar_t> buffer(needed + 1);
    const DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0 || length >= buffer.size()) return false;
    full = WithoutTrailingSlash(WithoutLongPrefix(std::wstring(buffer.data(), length)));
    return true;
}

bool FinalPath(FinalPathFn finalPath, HANDLE file, std::wstring& final) {
    // The longest path there is: a buffer too small is not answered alike
    // everywhere (Wine gives ERROR_MORE_DATA, not the size it needs).
    std::vector<wchar_t> buffer(32768);
    const DWORD length = finalPath(file, buffer.data(), static_cast<DWORD>(buffer.size()), kFinalPathNormalizedDos);
    if (length == 0 || length >= buffer.size()) return false;
    final = WithoutTrailingSlash(WithoutLongPrefix(std::wstring(buffer.data(), length)));
    return true;
}

std::wstring Upper(const std::wstring& text) {
    std::wstring upper(text);
    if (!upper.empty())
        ::LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, text.c_str(), static_cast<int>(text.size()), &upper[0],
                       static_cast<int>(upper.size()));
    return upper;
}

// Names compare as Windows compares them: letters in either case are one.
bool SameName(const std::wstring& a, const std::wstring& b) { return a.size() == b.size() && Upper(a) == Upper(b); }

// Without the final path: whether a folder on the way to `full` is a
// reparse point.
bool JunctionOnTheWay(const std::wstring& full) {
    for (size_t slash = full.find(L'\\', 3); slash != std::wstring::npos; slash = full.find(L'\\', slash + 1)) {
        const DWORD attributes = ::GetFileAttributesW(WideLong(full.substr(0, slash)).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
    }
    return false;
}

}  // namespace

std::wstring WideLong(std::wstring wide) {
    const bool drive = wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\';
    if (drive && wide.size() >= MAX_PATH) wide.insert(0, L"\\\\?\\");
    return wide;
}

std::wstring WidePath(const std::u16string& path) { return WideLong(std::wstring(path.begin(), path.end())); }

namespace {

// `asked` as the final path names it when its drive letter is a mapped
// network drive or a SUBST of a folder: the drive's own final path with the
// rest of `asked` after it. Empty when `asked` starts with no drive.
std::wstring ThroughDrive(FinalPathFn finalPath, const std::wstring& asked) {
    if (asked.size() < 4 || asked[1] != L':' || asked[2] != L'\\') return {};
    win::UniqueFileHandle root(::CreateFileW(asked.substr(0, 3).c_str(), FILE_READ_ATTRIBUTES,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::wstring drive;
    if (!root || !FinalPath(finalPath, root.Get(), drive)) return {};
    if (drive.empty() || drive.back() != L'\\') drive += L'\\';
    return drive + asked.substr(3);
}

// `asked` with every 8.3 short name spelt out, as the final path spells it.
std::wstring LongForm(const std::wstring& asked) {
    std::vector<wchar_t> buffer(32768);
    const DWORD length = ::GetLongPathNameW(WideLong(asked).c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return {};
    return WithoutTrailingSlash(WithoutLongPrefix(std::wstring(buffer.data(), length)));
}

long Checked(const std::u16string& path, DWORD access, bool bFolder, win::UniqueFileHandle& opened,
             win::UniqueFileHandle& file) {
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!::GetFileInformationByHandle(opened.Get(), &info)) return static_cast<long>(::GetLastError());
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return kErrLinked;
    // Windows refuses a read-only file what would change it; asked here
    // too, so that a user with every right (Wine run as root ignores the
    // attribute) still has the file kept.
    if ((access & (DELETE | GENERIC_WRITE)) && (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY))
        return kErrAccessDenied;
    if (bFolder && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_DIRECTORY;
    // A hard link is one more name of a file that may lie anywhere, and the
    // final path gives the name it was opened by: only a file's sole name
    // is taken for its own.
    if (!bFolder && info.nNumberOfLinks > 1) return kErrLinked;
    std::wstring asked;
    if (!FullPath(std::wstring(path.begin(), path.end()), asked)) return ERROR_INVALID_NAME;
    static const FinalPathFn finalPath = Kernel32<FinalPathFn>("GetFinalPathNameByHandleW");
    if (!finalPath) {
        if (JunctionOnTheWay(asked)) return kErrLinked;
    } else {
        std::wstring reached;
        if (FinalPath(finalPath, opened.Get(), reached)) {
            if (!SameName(asked, reached) && !SameName(ThroughDrive(finalPath, asked), reached) &&
                !SameName(LongForm(asked), reached))
                return kErrLinked;
        } else if (::GetLastError() == ERROR_MORE_DATA) {
            // Wine names no path past MAX_PATH, whatever the buffer; there
            // the folders on the way and the entry itself are asked instead.
            const DWORD attributes = ::GetFileAttributesW(WideLong(asked).c_str());
            if (JunctionOnTheWay(asked) ||
                (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)))
                return kErrLinked;
        } else {
            return static_cast<long>(::GetLastError() ? ::GetLastError() : ERROR_INVALID_NAME);
        }
    }
    file = std::move(opened);
    return kErrSuccess;
}

win::UniqueFileHandle Open(const std::u16string& path, DWORD access, DWORD share, DWORD creation, bool bFolder) {
    const DWORD flags = FILE_FLAG_OPEN_REPARSE_POINT | (bFolder ? FILE_FLAG_BACKUP_SEMANTICS : 0);
    return win::UniqueFileHandle(
        ::CreateFileW(WidePath(path).c_str(), access, share, nullptr, creation, flags, nullptr));
}

}  // namespace

long DeleteByHandle(HANDLE file) {
    static const SetInformationFn setInformation = Kernel32<SetInformationFn>("SetFileInformationByHandle");
    if (!setInformation) return ERROR_CALL_NOT_IMPLEMENTED;
    DispositionInfo disposition = {TRUE};
    if (!setInformation(file, kFileDispositionInfo, &disposition, sizeof(disposition)))
        return static_cast<long>(::GetLastError());
    return kErrSuccess;
}

long OpenPlain(const std::u16string& path, DWORD access, DWORD share, bool bFolder, win::UniqueFileHandle& file) {
    win::UniqueFileHandle opened = Open(path, access, share, OPEN_EXISTING, bFolder);
    if (!opened) return static_cast<long>(::GetLastError());
    return Checked(path, access, bFolder, opened, file);
}

long CreatePlainFile(const std::u16string& path, win::UniqueFileHandle& file) {
    win::UniqueFileHandle made = Open(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ, CREATE_NEW, false);
    if (made) {
        const long checked = Checked(path, GENERIC_WRITE, false, made, file);
        if (checked == kErrSuccess) return kErrSuccess;
        // Made through a linked folder: the new file goes again.
        DeleteByHandle(made.Get());
        return checked;
    }
    if (::GetLastError() != ERROR_FILE_EXISTS && ::GetLastError() != ERROR_ALREADY_EXISTS)
        return static_cast<long>(::GetLastError());
    const long opened = OpenPlain(path, GENERIC_WRITE, FILE_SHARE_READ, false, file);
    if (opened != kErrSuccess) return opened;
    if (!::SetEndOfFile(file.Get())) {
        const long error = static_cast<long>(::GetLastError());
        file.Reset();
        return error;
    }
    return kErrSuccess;
}

}  // namespace seam
