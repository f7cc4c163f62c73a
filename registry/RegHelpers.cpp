#include "registry/RegHelpers.h"

#include <cstring>
#include <vector>

#include "seam/Scoped.h"

namespace kv {
namespace {

// Subkey names are read into a buffer of this many bytes, as RegEnumKeyA's
// callers size it; registry key names are at most 255 characters.
constexpr uint32_t kNameBuffer = 260;

void CopyText(char* buffer, uint32_t size, const char* text, size_t length) {
    if (size == 0) return;
    size_t n = length < size - 1 ? length : size - 1;
    // An empty value's bytes may have no address at all (memcpy must not see null).
    if (n > 0) std::memcpy(buffer, text, n);
    buffer[n] = '\0';
}

}  // namespace

long ReadRegString(IRegistry& reg, RegRoot root, const std::string& path, const std::string& name,
                   const std::string& defaultText, char* buffer, uint32_t size) {
    ScopedRegKey key(reg);
    std::vector<uint8_t> data;
    long r = reg.CreateKey(root, path, RegAccess::Read, key.Out());
    if (r == kErrSuccess) r = reg.QueryValue(key.Get(), name, data, size, nullptr);
    if (r == kErrSuccess) {
        // The value's bytes as stored, then a zero: data that fills the whole
        // buffer without a terminator of its own loses its last byte to it.
        CopyText(buffer, size, reinterpret_cast<const char*>(data.data()), data.size());
        return kErrSuccess;
    }
    CopyText(buffer, size, defaultText.c_str(), defaultText.size());
    return r;
}

long WriteRegString(IRegistry& reg, RegRoot root, const std::string& path, const std::string& name,
                    const std::string& text) {
    ScopedRegKey key(reg);
    const long r = reg.CreateKey(root, path, RegAccess::Write, key.Out());
    if (r != kErrSuccess) return r;
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return reg.SetValue(key.Get(), name, kRegSz, data);
}

long DeleteRegValue(IRegistry& reg, RegRoot root, const std::string& path, const std::string& name) {
    ScopedRegKey key(reg);
    const long r = reg.OpenKey(root, path, RegAccess::Default, key.Out());
    if (r != kErrSuccess) return r;
    return reg.DeleteValue(key.Get(), name);
}

long DeleteSubkeys(IRegistry& reg, RegRoot root, const std::string& path) {
    ScopedRegKey key(reg);
    long r = reg.OpenKey(root, path, RegAccess::Default, key.Out());
    if (r != kErrSuccess) return r;
    for (;;) {
        // Always index 0: each deleted child's place is taken by the next one.
        std::string child;
        r = reg.EnumSubkey(key.Get(), 0, child, kNameBuffer);
        if (r == kErrNoMoreItems) return kErrSuccess;
        if (r != kErrSuccess) return r;
        const std::string childPath = path.empty() ? child : path + "\\" + child;
        r = DeleteSubkeys(reg, root, childPath);
        if (r != kErrSuccess) return r;
        // A child that stays would come back at index 0 for ever: stop with its error.
        r = reg.DeleteKey(root, childPath);
        if (r != kErrSuccess) return r;
    }
}

long DeleteKeyTree(IRegistry& reg, RegRoot root, const std::string& path, bool bDeleteSelf) {
    long r = DeleteSubkeys(reg, root, path);
    if (r != kErrSuccess) return r;
    if (!bDeleteSelf) return kErrSuccess;
    return reg.DeleteKey(root, path);
}

}  // namespace kv
