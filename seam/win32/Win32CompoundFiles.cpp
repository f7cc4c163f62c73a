// Jump lists are edited through ole32's structured storage, on a copy in
// memory: the edited list is written anew as a whole compound file, so
// that nothing of a removed entry stays in a free sector, and reaches the
// file only when all of it succeeded, through the one handle that read it.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <string>
#include <vector>

#include "seam/win32/PlainFiles.h"
#include "seam/win32/Win32Parts.h"
#include "win/Handles.h"

namespace seam {
namespace {

// Storage errors carry the Win32 error in their low word (STG_E_SHAREVIOLATION
// is ERROR_SHARING_VIOLATION, STG_E_ACCESSDENIED is ERROR_ACCESS_DENIED); a
// lock held by another program is the same "in use" to the user. Anything
// else (not a compound file, a damaged one) is data this edit cannot take.
long ErrorOf(HRESULT hr) {
    if (SUCCEEDED(hr)) return kErrSuccess;
    const int facility = HRESULT_FACILITY(hr);
    if (facility != FACILITY_STORAGE && facility != FACILITY_WIN32) return kErrInvalidData;
    switch (HRESULT_CODE(hr)) {
        case ERROR_FILE_NOT_FOUND: return kErrFileNotFound;
        case ERROR_PATH_NOT_FOUND: return kErrPathNotFound;
        case ERROR_ACCESS_DENIED: return kErrAccessDenied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return kErrSharingViolation;
        default: return kErrInvalidData;
    }
}

bool ReadWhole(IStream* stream, size_t maxBytes, std::vector<uint8_t>& out, long& error) {
    STATSTG stat = {};
    HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) {
        error = ErrorOf(hr);
        return false;
    }
    if (stat.cbSize.QuadPart > maxBytes) {
        error = kErrInvalidData;
        return false;
    }
    out.resize(static_cast<size_t>(stat.cbSize.QuadPart));
    ULONG got = 0;
    hr = out.empty() ? S_OK : stream->Read(out.data(), static_cast<ULONG>(out.size()), &got);
    if (FAILED(hr) || got != out.size()) {
        error = FAILED(hr) ? ErrorOf(hr) : kErrInvalidData;
        return false;
    }
    return true;
}

long Rewrite(IStream* stream, const std::vector<uint8_t>& content) {
    ULARGE_INTEGER size;
    size.QuadPart = content.size();
    HRESULT hr = stream->SetSize(size);
    if (FAILED(hr)) return ErrorOf(hr);
    LARGE_INTEGER start = {};
    hr = stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) return ErrorOf(hr);
    ULONG written = 0;
    hr = content.empty() ? S_OK : stream->Write(content.data(), static_cast<ULONG>(content.size()), &written);
    if (FAILED(hr)) return ErrorOf(hr);
    return written == content.size() ? long{kErrSuccess} : long{kErrInvalidData};
}

// The largest jump list read whole into memory: a real one is a few
// hundred kilobytes.
constexpr LONGLONG kFileLimit = 64LL * 1024 * 1024;

long ReadFileWhole(HANDLE file, std::vector<uint8_t>& bytes) {
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file, &size)) return static_cast<long>(::GetLastError());
    if (size.QuadPart > kFileLimit) return kErrInvalidData;
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() && !::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
        return static_cast<long>(::GetLastError());
    return got == bytes.size() ? long{kErrSuccess} : long{kErrInvalidData};
}

long WriteFileWhole(HANDLE file, const std::vector<uint8_t>& bytes) {
    // Grown first where the new file is the larger: a full disk refuses
    // that, before a byte of the old list has changed.
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(file, &size)) return static_cast<long>(::GetLastError());
    if (static_cast<uint64_t>(size.QuadPart) < bytes.size()) {
        LARGE_INTEGER end = {};
        end.QuadPart = static_cast<LONGLONG>(bytes.size());
        if (!::SetFilePointerEx(file, end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file))
            return static_cast<long>(::GetLastError());
    }
    LARGE_INTEGER start = {};
    DWORD written = 0;
    if (!::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) ||
        !::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size() || !::SetEndOfFile(file) || !::FlushFileBuffers(file))
        return static_cast<long>(::GetLastError());
    return kErrSuccess;
}

// A compound file over a copy of `bytes` in memory.
HRESULT OpenInMemory(const std::vector<uint8_t>& bytes, win::UniqueCom<IStorage>& storage) {
    HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) return E_OUTOFMEMORY;
    void* where = ::GlobalLock(memory);
    if (where) std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(where));
    ::GlobalUnlock(memory);
    win::UniqueCom<ILockBytes> lockBytes;
    HRESULT hr = ::CreateILockBytesOnHGlobal(memory, TRUE, lockBytes.Put());
    if (FAILED(hr)) {
        ::GlobalFree(memory);
        return hr;
    }
    return ::StgOpenStorageOnILockBytes(lockBytes.Get(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, nullptr, 0,
                                        storage.Put());
}

// The bytes a compound file made in memory holds.
HRESULT BytesOf(ILockBytes* lockBytes, std::vector<uint8_t>& bytes) {
    STATSTG stat = {};
    HRESULT hr = lockBytes->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) return hr;
    HGLOBAL memory = nullptr;
    hr = ::GetHGlobalFromILockBytes(lockBytes, &memory);
    if (FAILED(hr)) return hr;
    const auto* where = static_cast<const uint8_t*>(::GlobalLock(memory));
    if (!where) return E_OUTOFMEMORY;
    bytes.assign(where, where + stat.cbSize.QuadPart);
    ::GlobalUnlock(memory);
    return S_OK;
}

// `source` copied into a new compound file without the streams `leftOut`,
// and with `stream` holding `content`: sectors the left-out streams held
// in the old file are in none of the new one.
HRESULT WriteAnew(IStorage* source, const std::vector<std::wstring>& leftOut, const std::wstring& stream,
                  const std::vector<uint8_t>& content, std::vector<uint8_t>& bytes) {
    win::UniqueCom<ILockBytes> lockBytes;
    HRESULT hr = ::CreateILockBytesOnHGlobal(nullptr, TRUE, lockBytes.Put());
    if (FAILED(hr)) return hr;
    {
        win::UniqueCom<IStorage> target;
        hr = ::StgCreateDocfileOnILockBytes(lockBytes.Get(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                            target.Put());
        if (FAILED(hr)) return hr;
        std::vector<wchar_t*> exclude;
        for (const std::wstring& name : leftOut) exclude.push_back(const_cast<wchar_t*>(name.c_str()));
        exclude.push_back(const_cast<wchar_t*>(stream.c_str()));
        exclude.push_back(nullptr);
        hr = source->CopyTo(0, nullptr, exclude.data(), target.Get());
        if (FAILED(hr)) return hr;
        STATSTG stat = {};
        if (SUCCEEDED(source->Stat(&stat, STATFLAG_NONAME))) target.Get()->SetClass(stat.clsid);
        win::UniqueCom<IStream> written;
        hr = target.Get()->CreateStream(stream.c_str(), STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                        written.Put());
        if (FAILED(hr)) return hr;
        const long error = Rewrite(written.Get(), content);
        if (error != kErrSuccess) return HRESULT_FROM_WIN32(error);
        hr = target.Get()->Commit(STGC_DEFAULT);
        if (FAILED(hr)) return hr;
    }
    return BytesOf(lockBytes.Get(), bytes);
}

class Win32CompoundFiles final : public ICompoundFiles {
public:
    long EditStreams(const std::u16string& path, const std::u16string& streamName, size_t maxBytes,
                     const StreamEditPlan& plan) override {
        const std::wstring wideStream(streamName.begin(), streamName.end());
        // Shared with no one: the owner (Explorer, for the jump lists) must
        // not write between our read and our write. The one handle, opened
        // without following a link and checked, is read and written, so
        // that no path is looked up twice.
        win::UniqueFileHandle file;
        const long opened = OpenPlain(path, GENERIC_READ | GENERIC_WRITE, 0, false, file);
        if (opened != kErrSuccess) return opened;
        std::vector<uint8_t> bytes;
        long error = ReadFileWhole(file.Get(), bytes);
        if (error != kErrSuccess) return error;

        win::UniqueCom<IStorage> storage;
        HRESULT hr = OpenInMemory(bytes, storage);
        if (FAILED(hr)) return kErrInvalidData;
        StreamEdit edit;
        {
            win::UniqueCom<IStream> stream;
            hr = storage.Get()->OpenStream(wideStream.c_str(), nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0,
                                           stream.Put());
            if (FAILED(hr)) return hr == STG_E_FILENOTFOUND ? long{kErrInvalidData} : ErrorOf(hr);
            std::vector<uint8_t> content;
            if (!ReadWhole(stream.Get(), maxBytes, content, error)) return error;
            if (!plan(content, edit) || edit.content.empty()) return kErrInvalidData;
        }
        std::vector<std::wstring> leftOut;
        for (const std::u16string& name : edit.destroy) leftOut.emplace_back(name.begin(), name.end());
        std::vector<uint8_t> rewritten;
        hr = WriteAnew(storage.Get(), leftOut, wideStream, edit.content, rewritten);
        if (FAILED(hr)) return ErrorOf(hr);
        // The new file is whole in memory before the first byte of the old
        // one changes, and rarely larger than it.
        return WriteFileWhole(file.Get(), rewritten);
    }
};

}  // namespace

std::unique_ptr<ICompoundFiles> MakeWin32CompoundFiles() { return std::make_unique<Win32CompoundFiles>(); }

}  // namespace seam
