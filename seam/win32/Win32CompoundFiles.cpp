// Jump lists are edited through ole32's structured storage, transacted: the
// streams are destroyed and the index rewritten in a snapshot that reaches
// the file only with the one Commit, so a failure half-way leaves the file
// exactly as it was.
#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

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

class Win32CompoundFiles final : public ICompoundFiles {
public:
    long EditStreams(const std::u16string& path, const std::u16string& streamName, size_t maxBytes,
                     const StreamEditPlan& plan) override {
        const std::wstring widePath(path.begin(), path.end());
        const std::wstring wideStream(streamName.begin(), streamName.end());
        // Windows refuses a read-only file write access; asked first, so
        // that a user who runs this with every right (Wine as root ignores
        // the attribute) still has the file kept.
        const DWORD attributes = ::GetFileAttributesW(widePath.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return kErrAccessDenied;
        // Exclusive: the owner (Explorer, for the jump lists) must not write
        // between our read of the index and our commit.
        win::UniqueCom<IStorage> storage;
        HRESULT hr = ::StgOpenStorageEx(widePath.c_str(), STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_TRANSACTED,
                                        STGFMT_STORAGE, 0, nullptr, nullptr, IID_IStorage,
                                        reinterpret_cast<void**>(storage.Put()));
        if (FAILED(hr)) return ErrorOf(hr);

        StreamEdit edit;
        {
            win::UniqueCom<IStream> stream;
            hr = storage.Get()->OpenStream(wideStream.c_str(), nullptr, STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0,
                                           stream.Put());
            if (FAILED(hr)) return hr == STG_E_FILENOTFOUND ? long{kErrInvalidData} : ErrorOf(hr);
            std::vector<uint8_t> content;
            long error = kErrSuccess;
            if (!ReadWhole(stream.Get(), maxBytes, content, error)) return error;
            if (!plan(content, edit) || edit.content.empty()) return kErrInvalidData;
            error = Rewrite(stream.Get(), edit.content);
            if (error != kErrSuccess) return error;
        }
        for (const std::u16string& name : edit.destroy) {
            const std::wstring wide(name.begin(), name.end());
            hr = storage.Get()->DestroyElement(wide.c_str());
            if (FAILED(hr) && hr != STG_E_FILENOTFOUND) return ErrorOf(hr);
        }
        // Released without this, the transacted storage drops every change.
        return ErrorOf(storage.Get()->Commit(STGC_DEFAULT));
    }
};

}  // namespace

std::unique_ptr<ICompoundFiles> MakeWin32CompoundFiles() { return std::make_unique<Win32CompoundFiles>(); }

}  // namespace seam
