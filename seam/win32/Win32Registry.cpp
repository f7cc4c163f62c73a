// The registry through the ANSI advapi32 calls. Keys handed to the engine are
// HKEYs carried as RegKey; the engine gives each back through CloseKey.
//
// The wide calls serve one purpose: reaching a value whose name code page 949
// cannot spell, which RegEnumValueA hands out under a spelling that the ANSI
// calls do not find (see IRegistry in seam/Platform.h).
#include <windows.h>

#include <string>
#include <vector>

#include "seam/win32/Win32Parts.h"
#include "win/Handles.h"

namespace seam {
namespace {

// Value names are at most 16,383 characters.
constexpr DWORD kMaxValueName = 16384;

// How the ANSI calls spell a wide text: the same conversion RegEnumValueA
// makes, so a name compares equal to what the enumeration gave.
std::string AnsiOf(const wchar_t* text, int length) {
    if (length <= 0) return std::string();
    int bytes = ::WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) ::WideCharToMultiByte(CP_ACP, 0, text, length, &out[0], bytes, nullptr, nullptr);
    return out;
}

// The real names of the values that the ANSI calls cannot reach by `name`:
// those whose ANSI spelling is `name` byte for byte.
std::vector<std::wstring> WideNamesSpelled(HKEY key, const std::string& name) {
    std::vector<std::wstring> out;
    std::wstring buf(kMaxValueName, L'\0');
    for (DWORD index = 0;; ++index) {
        DWORD len = kMaxValueName;
        if (::RegEnumValueW(key, index, &buf[0], &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        if (AnsiOf(buf.data(), static_cast<int>(len)) == name) out.emplace_back(buf.data(), len);
    }
    return out;
}

// After an ANSI call found no value `name`: the one wide name it stands for,
// or the error to give (not found, or several values spelled alike).
LONG ResolveWideName(HKEY key, const std::string& name, std::wstring& wide) {
    std::vector<std::wstring> names = WideNamesSpelled(key, name);
    if (names.empty()) return ERROR_FILE_NOT_FOUND;
    if (names.size() > 1) return kErrAmbiguousName;
    wide = names.front();
    return ERROR_SUCCESS;
}

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// RegQueryValueExW, with string data turned into code page 949 as
// RegQueryValueExA would return it, `capacity` counted in those bytes.
LONG QueryWide(HKEY key, const std::wstring& name, std::vector<uint8_t>& data, uint32_t capacity,
               DWORD& type) {
    DWORD size = 0;
    LONG rc = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return rc;
    std::vector<uint8_t> raw(size ? size : 1);
    rc = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, raw.data(), &size);
    if (rc != ERROR_SUCCESS) return rc;
    raw.resize(size);
    if (IsStringType(type)) {
        const std::string text = AnsiOf(reinterpret_cast<const wchar_t*>(raw.data()),
                                        static_cast<int>(raw.size() / sizeof(wchar_t)));
        raw.assign(text.begin(), text.end());
    }
    if (raw.size() > capacity) return ERROR_MORE_DATA;
    data.swap(raw);
    return ERROR_SUCCESS;
}

HKEY RootKey(RegRoot root) {
    return root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

REGSAM AccessMask(RegRoot root, RegAccess access) {
    REGSAM mask = KEY_ALL_ACCESS;
    switch (access) {
        case RegAccess::Read: mask = KEY_READ; break;
        case RegAccess::Write: mask = KEY_WRITE; break;
        case RegAccess::Default: mask = MAXIMUM_ALLOWED; break;
        case RegAccess::AllAccess: break;
    }
    // Ignored by 32-bit Windows; see RegAccess for why the view is fixed.
    return root == RegRoot::LocalMachine ? mask | KEY_WOW64_64KEY : mask;
}

// RegDeleteKeyA always deletes in the caller's own view, so a 32-bit process
// needs RegDeleteKeyExA (not on 32-bit XP, which has one view anyway).
LONG DeleteKeyIn64BitView(const char* path) {
    using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCSTR, REGSAM, DWORD);
    static const auto deleteKeyEx = reinterpret_cast<DeleteKeyEx>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("advapi32.dll"), "RegDeleteKeyExA")));
    return deleteKeyEx ? deleteKeyEx(HKEY_LOCAL_MACHINE, path, KEY_WOW64_64KEY, 0)
                       : ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
}

HKEY AsHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }

class Win32Registry final : public IRegistry {
public:
    long OpenKey(RegRoot root, const std::string& path, RegAccess access, RegKey& out) override {
        win::UniqueKey key;
        // RegOpenKeyA asks for the most it may have, in the caller's view.
        LONG rc = access == RegAccess::Default && root == RegRoot::CurrentUser
                      ? ::RegOpenKeyA(RootKey(root), path.c_str(), key.Put())
                      : ::RegOpenKeyExA(RootKey(root), path.c_str(), 0, AccessMask(root, access), key.Put());
        out = rc == ERROR_SUCCESS ? reinterpret_cast<RegKey>(key.Detach()) : 0;
        return rc;
    }

    long CreateKey(RegRoot root, const std::string& path, RegAccess access, RegKey& out) override {
        win::UniqueKey key;
        LONG rc = ::RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, 0, AccessMask(root, access),
                                    nullptr, key.Put(), nullptr);
        out = rc == ERROR_SUCCESS ? reinterpret_cast<RegKey>(key.Detach()) : 0;
        return rc;
    }

    void CloseKey(RegKey key) override {
        if (key) ::RegCloseKey(AsHkey(key));
    }

    long EnumValueName(RegKey key, uint32_t index, std::string& name, uint32_t capacity) override {
        std::string buf(capacity ? capacity : 1, '\0');
        DWORD len = capacity;
        LONG rc = ::RegEnumValueA(AsHkey(key), index, &buf[0], &len, nullptr, nullptr, nullptr, nullptr);
        name = rc == ERROR_SUCCESS ? buf.substr(0, len) : std::string();
        return rc;
    }

    long EnumValue(RegKey key, uint32_t index, std::string& name, uint32_t nameCapacity,
                   std::vector<uint8_t>& data, uint32_t dataCapacity, uint32_t* type) override {
        // Straight into the caller's buffers: a walk that keeps them from one
        // value to the next allocates nothing once they have grown.
        name.resize(nameCapacity ? nameCapacity : 1);
        data.resize(dataCapacity ? dataCapacity : 1);
        DWORD nameLen = nameCapacity;
        DWORD dataLen = dataCapacity;
        DWORD valueType = REG_NONE;
        const LONG rc = ::RegEnumValueA(AsHkey(key), index, &name[0], &nameLen, nullptr, &valueType, data.data(),
                                        &dataLen);
        if (rc != ERROR_SUCCESS) {
            // On "more data" Wine has filled one buffer and not the other;
            // neither is of any use.
            name.clear();
            data.clear();
            return rc;
        }
        name.resize(nameLen);
        data.resize(dataLen);
        if (type) *type = valueType;
        return rc;
    }

    long QueryValue(RegKey key, const std::string& name, std::vector<uint8_t>& data,
                    uint32_t capacity, uint32_t* type) override {
        std::vector<uint8_t> buf(capacity ? capacity : 1);
        DWORD size = capacity;
        DWORD valueType = REG_NONE;
        LONG rc = ::RegQueryValueExA(AsHkey(key), name.c_str(), nullptr, &valueType, buf.data(), &size);
        data.clear();
        std::wstring wide;
        if (rc == ERROR_SUCCESS) {
            buf.resize(size);
            data.swap(buf);
        } else if (rc == ERROR_FILE_NOT_FOUND &&
                   (rc = ResolveWideName(AsHkey(key), name, wide)) == ERROR_SUCCESS) {
            rc = QueryWide(AsHkey(key), wide, data, capacity, valueType);
        }
        if (type) *type = valueType;
        return rc;
    }

    long SetValue(RegKey key, const std::string& name, uint32_t type,
                  const std::vector<uint8_t>& data) override {
        return ::RegSetValueExA(AsHkey(key), name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                                static_cast<DWORD>(data.size()));
    }

    long DeleteValue(RegKey key, const std::string& name) override {
        LONG rc = ::RegDeleteValueA(AsHkey(key), name.c_str());
        if (rc != ERROR_FILE_NOT_FOUND) return rc;
        std::wstring wide;
        rc = ResolveWideName(AsHkey(key), name, wide);
        return rc == ERROR_SUCCESS ? ::RegDeleteValueW(AsHkey(key), wide.c_str()) : rc;
    }

    long EnumValueNameWide(RegKey key, uint32_t index, std::u16string& name) override {
        std::wstring buf(kMaxValueName, L'\0');
        DWORD len = kMaxValueName;
        LONG rc = ::RegEnumValueW(AsHkey(key), index, &buf[0], &len, nullptr, nullptr, nullptr, nullptr);
        name = rc == ERROR_SUCCESS ? std::u16string(reinterpret_cast<const char16_t*>(buf.data()), len)
                                   : std::u16string();
        return rc;
    }

    long DeleteValueWide(RegKey key, const std::u16string& name) override {
        return ::RegDeleteValueW(AsHkey(key), reinterpret_cast<const wchar_t*>(name.c_str()));
    }

    long EnumSubkey(RegKey key, uint32_t index, std::string& name, uint32_t capacity) override {
        std::string buf(capacity ? capacity : 1, '\0');
        LONG rc = ::RegEnumKeyA(AsHkey(key), index, &buf[0], capacity);
        name = rc == ERROR_SUCCESS ? std::string(buf.c_str()) : std::string();
        return rc;
    }

    long DeleteKey(RegRoot root, const std::string& path) override {
        return root == RegRoot::LocalMachine ? DeleteKeyIn64BitView(path.c_str())
                                             : ::RegDeleteKeyA(RootKey(root), path.c_str());
    }
};

}  // namespace

std::unique_ptr<IRegistry> MakeWin32Registry() { return std::make_unique<Win32Registry>(); }

}  // namespace seam
