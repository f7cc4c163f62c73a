// Files through the wide calls: a name that code page 949 cannot spell is
// listed, read and removed exactly as Windows holds it.
#include <windows.h>
#include <shlobj.h>

// The seam's own DeleteFile is meant, not the ANSI/wide macro.
#undef DeleteFile

#include <algorithm>
#include <string>
#include <vector>

#include "seam/Text.h"
#include "seam/win32/PlainFiles.h"
#include "seam/win32/Win32Parts.h"
#include "win/Handles.h"

namespace seam {
namespace {

int Csidl(KnownFolder folder) {
    switch (folder) {
        case KnownFolder::RoamingAppData: return CSIDL_APPDATA;
        case KnownFolder::LocalAppData: return CSIDL_LOCAL_APPDATA;
        case KnownFolder::Recent: return CSIDL_RECENT;
    }
    return CSIDL_APPDATA;
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Whether `path` lies below the user's profile folder (letters in either case).
bool InsideProfile(const std::u16string& path) {
    wchar_t buf[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, buf))) return false;
    std::wstring profile(buf);
    while (!profile.empty() && profile.back() == L'\\') profile.pop_back();
    // "..", "." and doubled separators resolved first: a setting of
    // "%USERPROFILE%\..\.." starts with the profile but leads out of it.
    const std::wstring asked(path.begin(), path.end());
    std::vector<wchar_t> full(32768);
    const DWORD length = ::GetFullPathNameW(asked.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length == 0 || length >= full.size()) return false;
    std::wstring wide(full.data(), length);
    if (wide.size() <= profile.size() || wide[profile.size()] != L'\\') return false;
    wide.resize(profile.size());
    const int n = static_cast<int>(profile.size());
    ::CharUpperBuffW(&profile[0], static_cast<DWORD>(n));
    ::CharUpperBuffW(&wide[0], static_cast<DWORD>(n));
    return wide == profile;
}

class Win32FileHold final : public IFileHold {
public:
    explicit Win32FileHold(win::UniqueFileHandle handle) : m_handle(std::move(handle)) {}

private:
    win::UniqueFileHandle m_handle;
};

class Win32FileSystem final : public IFileSystem {
public:
    long KnownFolderPath(KnownFolder folder, std::u16string& path) override {
        path.clear();
        wchar_t buf[MAX_PATH] = {};
        const HRESULT hr = ::SHGetFolderPathW(nullptr, Csidl(folder), nullptr, SHGFP_TYPE_CURRENT, buf);
        if (FAILED(hr)) return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : kErrPathNotFound;
        path.assign(buf, buf + lstrlenW(buf));
        while (path.size() > 3 && path.back() == u'\\') path.pop_back();
        if (path.empty()) return kErrPathNotFound;
        if (folder == KnownFolder::Recent && !InsideProfile(path)) return kErrLinked;
        return kErrSuccess;
    }

    long ListFolder(const std::u16string& folder, std::vector<FileEntry>& entries) override {
        entries.clear();
        // Held without letting others delete it, the folder cannot be
        // renamed and replaced by a link while it is listed.
        win::UniqueFileHandle held;
        const long opened =
            OpenPlain(folder, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, true, held);
        if (opened == kErrFileNotFound || opened == ERROR_DIRECTORY) return kErrPathNotFound;
        if (opened != kErrSuccess) return opened;
        // The long form is chosen by the pattern's length: the "\*" it ends
        // in can carry a folder just under the limit past it.
        std::wstring pattern(folder.begin(), folder.end());
        if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
        pattern = WideLong(pattern + L'*');
        WIN32_FIND_DATAW found;
        win::UniqueFindHandle search(::FindFirstFileW(pattern.c_str(), &found));
        if (!search) {
            const DWORD error = ::GetLastError();
            // Nothing matched: an empty folder (a drive's root has no "."), or
            // no folder at all, which Windows and Wine report differently.
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return kErrSuccess;
            return static_cast<long>(error);
        }
        do {
            const std::wstring name(found.cFileName);
            if (name == L"." || name == L"..") continue;
            FileEntry entry;
            entry.name.assign(name.begin(), name.end());
            entry.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            entry.attributes = found.dwFileAttributes;
            entries.push_back(std::move(entry));
        } while (::FindNextFileW(search.Get(), &found));
        const DWORD error = ::GetLastError();
        return error == ERROR_NO_MORE_FILES ? kErrSuccess : static_cast<long>(error);
    }

    long ReadFile(const std::u16string& path, size_t maxBytes, std::vector<uint8_t>& data) override {
        data.clear();
        // Shared for everything: reading a trace must never keep its owner
        // from writing, renaming or deleting it meanwhile.
        win::UniqueFileHandle file;
        const long opened = OpenPlain(path, GENERIC_READ, kShareAll, false, file);
        if (opened != kErrSuccess) return opened;
        // Sized by the file as it is when opened, so that a small file asked
        // for with a large limit costs one read into a buffer of its own
        // size; what is appended meanwhile is not waited for.
        size_t target = maxBytes;
        LARGE_INTEGER size = {};
        if (::GetFileSizeEx(file.Get(), &size) && static_cast<uint64_t>(size.QuadPart) < maxBytes)
            target = static_cast<size_t>(size.QuadPart);
        constexpr size_t kChunk = 1024 * 1024;
        while (data.size() < target) {
            const size_t had = data.size();
            const DWORD want = static_cast<DWORD>(std::min(target - had, kChunk));
            data.resize(had + want);
            DWORD got = 0;
            if (!::ReadFile(file.Get(), data.data() + had, want, &got, nullptr)) {
                const DWORD error = ::GetLastError();
                data.clear();
                return static_cast<long>(error);
            }
            data.resize(had + got);
            // A short read is the file's end, whatever its size said.
            if (got < want) break;
        }
        return kErrSuccess;
    }

    long DeleteFile(const std::u16string& path) override {
        // Asking for DELETE meets a program that holds the file without
        // letting others delete it (a sharing violation), as DeleteFileW does.
        win::UniqueFileHandle file;
        const long opened = OpenPlain(path, DELETE | FILE_READ_ATTRIBUTES, kShareAll, false, file);
        if (opened != kErrSuccess) return opened;
        const long deleted = DeleteByHandle(file.Get());
        if (deleted != ERROR_CALL_NOT_IMPLEMENTED) return deleted;
        // Windows XP: by the path that was just checked.
        file.Reset();
        return ::DeleteFileW(WidePath(path).c_str()) ? long{kErrSuccess} : static_cast<long>(::GetLastError());
    }

    long CheckPlainFile(const std::u16string& path) override {
        win::UniqueFileHandle file;
        return OpenPlain(path, FILE_READ_ATTRIBUTES, kShareAll, false, file);
    }

    std::unique_ptr<IFileHold> HoldPlain(const std::u16string& path, bool bFolder, long& error) override {
        // Read access, so that the share mode counts, and every share but
        // delete: a rename needs delete access, and is refused while held.
        win::UniqueFileHandle handle;
        error = OpenPlain(path, bFolder ? FILE_LIST_DIRECTORY : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          bFolder, handle);
        if (error != kErrSuccess) return nullptr;
        return std::make_unique<Win32FileHold>(std::move(handle));
    }

    std::string Utf8Path(const std::u16string& path) override { return Utf8FromUtf16(path); }

    long CreateFolder(const std::u16string& path) override {
        if (!::CreateDirectoryW(WidePath(path).c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return static_cast<long>(::GetLastError());
        // Made or found, it is taken only as a plain folder reached without
        // a link: one on the way would send what is written into it elsewhere.
        win::UniqueFileHandle folder;
        return OpenPlain(path, FILE_READ_ATTRIBUTES, kShareAll, true, folder);
    }
};

}  // namespace

std::unique_ptr<IFileSystem> MakeWin32FileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace seam
