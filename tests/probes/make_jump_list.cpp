// Writes an automatic jump list the way Windows does, through its own
// structured storage: ENTRIES numbered streams, each a copy of the shortcut
// LINK, and a DestList (version 3, the Windows 10 form) with one unpinned
// record per entry, newest first. The benchmark fills Recent with these.
//
//   make_jump_list.exe OUT ENTRIES LINK
//
// Paths are taken from the wide command line. Exit code 0, 1 when a file
// cannot be read or written, 2 on bad arguments.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "win/Handles.h"

namespace {

void Put32(std::vector<BYTE>& b, size_t at, DWORD v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<BYTE>(v >> (8 * i));
}

// A version 3 record: 128 bytes of fields, the path's length in UTF-16
// units, the path, and 4 bytes after it.
std::vector<BYTE> Record(DWORD number, const std::wstring& path) {
    std::vector<BYTE> record(130, 0);
    Put32(record, 88, number);
    Put32(record, 108, 0xffffffff);  // not pinned
    record[128] = static_cast<BYTE>(path.size());
    record[129] = static_cast<BYTE>(path.size() >> 8);
    for (wchar_t c : path) {
        record.push_back(static_cast<BYTE>(c));
        record.push_back(static_cast<BYTE>(c >> 8));
    }
    record.insert(record.end(), 4, 0);
    return record;
}

bool WriteStream(IStorage* storage, const std::wstring& name, const std::vector<BYTE>& bytes) {
    win::UniqueCom<IStream> stream;
    if (FAILED(storage->CreateStream(name.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                     stream.Put())))
        return false;
    ULONG written = 0;
    return SUCCEEDED(stream.Get()->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written)) &&
           written == bytes.size();
}

}  // namespace

int main() {
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 4) return 2;
    const std::wstring out = argv[1];
    const DWORD entries = std::wcstoul(argv[2], nullptr, 10);
    std::ifstream in(argv[3], std::ios::binary);
    ::LocalFree(argv);
    const std::vector<BYTE> link((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (entries == 0 || link.empty()) return link.empty() ? 1 : 2;

    win::UniqueCom<IStorage> storage;
    if (FAILED(::StgCreateStorageEx(out.c_str(), STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                    STGFMT_STORAGE, 0, nullptr, nullptr, IID_IStorage,
                                    reinterpret_cast<void**>(storage.Put()))))
        return 1;
    std::vector<BYTE> destList(32, 0);
    Put32(destList, 0, 3);
    Put32(destList, 4, entries);
    Put32(destList, 16, entries);  // the last number issued
    for (DWORD n = entries; n >= 1; --n) {
        const std::vector<BYTE> record = Record(n, L"C:\\Users\\bench\\Documents\\file " + std::to_wstring(n) + L".txt");
        destList.insert(destList.end(), record.begin(), record.end());
        wchar_t name[16];
        ::wsprintfW(name, L"%x", n);
        if (!WriteStream(storage.Get(), name, link)) return 1;
    }
    if (!WriteStream(storage.Get(), L"DestList", destList)) return 1;
    return SUCCEEDED(storage.Get()->Commit(STGC_DEFAULT)) ? 0 : 1;
}
