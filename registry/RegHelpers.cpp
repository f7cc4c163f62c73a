#include "registry/RegHelpers.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "seam/Scoped.h"

namespace registry {
namespace {

// The largest value name RegEnumValueA can hand out, terminator included.
// (Subkey names take kNameBuffer: a key's name is at most 255 characters.)
constexpr uint32_t kMaxValueNameBytes = 2 * 16383 + 1;

uint32_t LargerNameBuffer(uint32_t capacity) { return std::min(capacity * 4, kMaxValueNameBytes); }

void CopyText(char* buffer, uint32_t size, const char* text, size_t length) {
    if (size == 0) return;
    size_t n = length < size - 1 ? length : size - 1;
    // An empty value's bytes may have no address at all (memcpy must not see null).
    if (n > 0) std::memcpy(buffer, text, n);
    buffer[n] = '\0';
}

}  // namespace

long ReadRegString(seam::IRegistry& reg, seam::RegRoot root, const std::string& path, const std::string& name,
                   const std::string& defaultText, char* buffer, uint32_t size) {
    seam::ScopedRegKey key(reg);
    std::vector<uint8_t> data;
    long r = reg.CreateKey(root, path, seam::RegAccess::Read, key.Out());
    if (r == seam::kErrSuccess) r = reg.QueryValue(key.Get(), name, data, size, nullptr);
    if (r == seam::kErrSuccess) {
        // The value's bytes as stored, then a zero: data that fills the whole
        // buffer without a terminator of its own loses its last byte to it.
        CopyText(buffer, size, reinterpret_cast<const char*>(data.data()), data.size());
        return seam::kErrSuccess;
    }
    CopyText(buffer, size, defaultText.c_str(), defaultText.size());
    return r;
}

long WriteRegString(seam::IRegistry& reg, seam::RegRoot root, const std::string& path, const std::string& name,
                    const std::string& text) {
    seam::ScopedRegKey key(reg);
    const long r = reg.CreateKey(root, path, seam::RegAccess::Write, key.Out());
    if (r != seam::kErrSuccess) return r;
    std::vector<uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    return reg.SetValue(key.Get(), name, seam::kRegSz, data);
}

long EnumWholeValueName(seam::IRegistry& reg, seam::RegKey key, uint32_t index, std::string& name) {
    // Most names fit the first buffer; only a longer one pays for a second call.
    for (uint32_t capacity = kNameBuffer;; capacity = LargerNameBuffer(capacity)) {
        const long r = reg.EnumValueName(key, index, name, capacity);
        if (r != seam::kErrMoreData || capacity == kMaxValueNameBytes) return r;
    }
}

long EnumWholeValue(seam::IRegistry& reg, seam::RegKey key, uint32_t index, std::string& name,
                    std::vector<uint8_t>& data, uint32_t* type) {
    uint32_t nameCapacity = kNameBuffer;
    uint32_t dataCapacity = kFirstDataBuffer;
    size_t larger = 0;  // the next of kLargerDataBuffers
    for (;;) {
        const long r = reg.EnumValue(key, index, name, nameCapacity, data, dataCapacity, type);
        if (r != seam::kErrMoreData) return r;
        const bool bDataAtLimit = larger == std::size(kLargerDataBuffers);
        if (bDataAtLimit && nameCapacity == kMaxValueNameBytes) break;
        nameCapacity = LargerNameBuffer(nameCapacity);
        if (!bDataAtLimit) dataCapacity = kLargerDataBuffers[larger++];
    }
    // Both at their limits and still too small: only the data can be. The
    // value is still there to be named.
    data.clear();
    const long r = EnumWholeValueName(reg, key, index, name);
    return r == seam::kErrSuccess ? seam::kErrMoreData : r;
}

long DeleteRegValue(seam::IRegistry& reg, seam::RegRoot root, const std::string& path, const std::string& name) {
    seam::ScopedRegKey key(reg);
    const long r = reg.OpenKey(root, path, seam::RegAccess::Default, key.Out());
    if (r != seam::kErrSuccess) return r;
    return reg.DeleteValue(key.Get(), name);
}

long DeleteSubkeys(seam::IRegistry& reg, seam::RegRoot root, const std::string& path) {
    seam::ScopedRegKey key(reg);
    long r = reg.OpenKey(root, path, seam::RegAccess::Default, key.Out());
    if (r != seam::kErrSuccess) return r;
    for (;;) {
        // Always index 0: each deleted child's place is taken by the next one.
        std::string child;
        r = reg.EnumSubkey(key.Get(), 0, child, kNameBuffer);
        if (r == seam::kErrNoMoreItems) return seam::kErrSuccess;
        if (r != seam::kErrSuccess) return r;
        const std::string childPath = path.empty() ? child : path + "\\" + child;
        r = DeleteSubkeys(reg, root, childPath);
        if (r != seam::kErrSuccess) return r;
        // A child that stays would come back at index 0 for ever: stop with its error.
        r = reg.DeleteKey(root, childPath);
        if (r != seam::kErrSuccess) return r;
    }
}

long DeleteKeyTree(seam::IRegistry& reg, seam::RegRoot root, const std::string& path, bool bDeleteSelf) {
    long r = DeleteSubkeys(reg, root, path);
    if (r != seam::kErrSuccess) return r;
    if (!bDeleteSelf) return seam::kErrSuccess;
    return reg.DeleteKey(root, path);
}

}  // namespace registry
