// The registry through the ANSI advapi32 calls. Keys handed to the engine are
// HKEYs carried as RegKey; the engine gives each back through CloseKey.
#include <windows.h>

#include "seam/win32/Win32Parts.h"
#include "win/Handles.h"

namespace kv {
namespace {

HKEY RootKey(RegRoot root) {
    return root == RegRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

REGSAM AccessMask(RegAccess access) {
    switch (access) {
        case RegAccess::Read: return KEY_READ;
        case RegAccess::Write: return KEY_WRITE;
        default: return KEY_ALL_ACCESS;
    }
}

HKEY AsHkey(RegKey key) { return reinterpret_cast<HKEY>(key); }

class Win32Registry final : public IRegistry {
public:
    long OpenKey(RegRoot root, const std::string& path, RegAccess access, RegKey& out) override {
        win::UniqueKey key;
        LONG rc = access == RegAccess::Default
                      ? ::RegOpenKeyA(RootKey(root), path.c_str(), key.Put())
                      : ::RegOpenKeyExA(RootKey(root), path.c_str(), 0, AccessMask(access), key.Put());
        out = rc == ERROR_SUCCESS ? reinterpret_cast<RegKey>(key.Detach()) : 0;
        return rc;
    }

    long CreateKey(RegRoot root, const std::string& path, RegAccess access, RegKey& out) override {
        win::UniqueKey key;
        LONG rc = ::RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, 0, AccessMask(access),
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

    long QueryValue(RegKey key, const std::string& name, std::vector<uint8_t>& data,
                    uint32_t capacity, uint32_t* type) override {
        std::vector<uint8_t> buf(capacity ? capacity : 1);
        DWORD size = capacity;
        DWORD valueType = REG_NONE;
        LONG rc = ::RegQueryValueExA(AsHkey(key), name.c_str(), nullptr, &valueType, buf.data(), &size);
        if (rc == ERROR_SUCCESS) {
            buf.resize(size);
            data.swap(buf);
        } else {
            data.clear();
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
        return ::RegDeleteValueA(AsHkey(key), name.c_str());
    }

    long EnumSubkey(RegKey key, uint32_t index, std::string& name, uint32_t capacity) override {
        std::string buf(capacity ? capacity : 1, '\0');
        LONG rc = ::RegEnumKeyA(AsHkey(key), index, &buf[0], capacity);
        name = rc == ERROR_SUCCESS ? std::string(buf.c_str()) : std::string();
        return rc;
    }

    long DeleteKey(RegRoot root, const std::string& path) override {
        return ::RegDeleteKeyA(RootKey(root), path.c_str());
    }
};

}  // namespace

std::unique_ptr<IRegistry> MakeWin32Registry() { return std::make_unique<Win32Registry>(); }

}  // namespace kv
