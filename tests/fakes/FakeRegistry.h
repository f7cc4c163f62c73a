// An in-memory registry that behaves like Windows' for everything the engine
// does: two roots, keys and values compared case-insensitively (the stored
// spelling kept), enumeration in creation order with later entries shifting
// down after a deletion, the real error codes, access masks honoured, and
// RegDeleteKeyA refusing a key that still has subkeys.
//
// Value names are kept as the ANSI calls spell them; a value set up with a
// UTF-8 name that code page 949 cannot spell also keeps its real name, as the
// registry's UTF-16 would: RegEnumValueA's spelling of it ('?' for each
// missing character) is not a name the ANSI calls find, and QueryValue and
// DeleteValue resolve it as seam/Platform.h says.
//
// Beyond Windows: tests can deny single keys (to exercise failure paths),
// count the handles still open and catch handles closed twice. Key names
// have no length limit here (Windows stops at 255), so tests can build
// names that do not fit a 260-byte enumeration buffer.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "seam/Platform.h"

namespace fakes {

// ERROR_KEY_DELETED: what Windows answers on a handle whose key was deleted.
inline constexpr long kErrKeyDeleted = 1018;

// What a denied key refuses; combine with |.
enum RegDeny : unsigned {
    kDenyNone = 0,
    kDenyOpen = 1,         // OpenKey / CreateKey of this key give 5
    kDenyDeleteKey = 2,    // DeleteKey of this key gives 5
    kDenyWriteValues = 4,  // SetValue / DeleteValue through any handle give 5
    kDenyFullAccess = 8,   // OpenKey / CreateKey asking for KEY_ALL_ACCESS or KEY_WRITE give 5
                           // (a key the user may read but not change, as HKLM for most users)
};

class FakeRegistry : public seam::IRegistry {
public:
    FakeRegistry();
    ~FakeRegistry() override;
    FakeRegistry(const FakeRegistry&) = delete;
    FakeRegistry& operator=(const FakeRegistry&) = delete;

    // IRegistry
    long OpenKey(seam::RegRoot root, const std::string& path, seam::RegAccess access, seam::RegKey& out) override;
    long CreateKey(seam::RegRoot root, const std::string& path, seam::RegAccess access, seam::RegKey& out) override;
    void CloseKey(seam::RegKey key) override;
    long EnumValueName(seam::RegKey key, uint32_t index, std::string& name, uint32_t capacity) override;
    long EnumValue(seam::RegKey key, uint32_t index, std::string& name, uint32_t nameCapacity,
                   std::vector<uint8_t>& data, uint32_t dataCapacity, uint32_t* type) override;
    long QueryValue(seam::RegKey key, const std::string& name, std::vector<uint8_t>& data,
                    uint32_t capacity, uint32_t* type) override;
    long SetValue(seam::RegKey key, const std::string& name, uint32_t type,
                  const std::vector<uint8_t>& data) override;
    long DeleteValue(seam::RegKey key, const std::string& name) override;
    long EnumValueNameWide(seam::RegKey key, uint32_t index, std::u16string& name) override;
    long DeleteValueWide(seam::RegKey key, const std::u16string& name) override;
    long EnumSubkey(seam::RegKey key, uint32_t index, std::string& name, uint32_t capacity) override;
    long DeleteKey(seam::RegRoot root, const std::string& path) override;

    // Test set-up: keys are created as needed; strings are stored with their
    // terminating zero, as RegSetValueExA callers store them.
    void AddKey(seam::RegRoot root, const std::string& path);
    void SetString(seam::RegRoot root, const std::string& path, const std::string& name,
                   const std::string& text, uint32_t type = seam::kRegSz);
    void SetDword(seam::RegRoot root, const std::string& path, const std::string& name, uint32_t value);
    void SetBytes(seam::RegRoot root, const std::string& path, const std::string& name, uint32_t type,
                  const std::vector<uint8_t>& data);
    void Deny(seam::RegRoot root, const std::string& path, unsigned what);
    // A REG_SZ value whose real name is `utf8Name`, which may hold characters
    // that code page 949 lacks; `text` is code page 949.
    void SetStringUnicodeName(seam::RegRoot root, const std::string& path, const std::string& utf8Name,
                              const std::string& text);

    // Test inspection.
    bool KeyExists(seam::RegRoot root, const std::string& path) const;
    bool ValueExists(seam::RegRoot root, const std::string& path, const std::string& name) const;
    // By real name, in UTF-8: also finds the values the ANSI calls cannot.
    bool UnicodeNamedValueExists(seam::RegRoot root, const std::string& path, const std::string& utf8Name) const;
    // The value's bytes up to its first zero byte; "" when absent.
    std::string StringValue(seam::RegRoot root, const std::string& path, const std::string& name) const;
    std::vector<std::string> ValueNames(seam::RegRoot root, const std::string& path) const;
    std::vector<std::string> SubkeyNames(seam::RegRoot root, const std::string& path) const;

    int OpenHandleCount() const;
    // CloseKey calls with a handle that was not open (closed twice, or never opened).
    int BadCloseCount() const;
    // How many times DeleteKey / DeleteValue were called (successful or not).
    int DeleteKeyCalls() const;
    int DeleteValueCalls() const;
    int OpenKeyCalls() const;
    // Calls that read a value: EnumValueName, EnumValue and QueryValue, each
    // counted whatever it gave.
    int ValueReadCalls() const;

private:
    struct Value {
        std::string name;  // as RegEnumValueA spells it
        uint32_t type = seam::kRegNone;
        std::vector<uint8_t> data;
        // The real name in UTF-8 when `name` is not it (the name has characters
        // code page 949 lacks); empty otherwise.
        std::string unicodeName;
    };
    struct Key {
        std::string name;
        Key* parent = nullptr;
        std::vector<Value> values;
        std::vector<std::shared_ptr<Key>> subkeys;
        unsigned deny = kDenyNone;
        bool deleted = false;
    };
    struct Handle {
        std::shared_ptr<Key> key;
        seam::RegAccess access;
    };

    static std::vector<std::string> Split(const std::string& path);
    std::shared_ptr<Key> Find(seam::RegRoot root, const std::string& path) const;
    std::shared_ptr<Key> Make(seam::RegRoot root, const std::string& path);
    const Handle* Lookup(seam::RegKey key) const;
    // The open handle `key` (held in `h`) if it may be read, or written
    // (values), in its key's present state; else the error Windows gives.
    long Usable(seam::RegKey key, bool bWrite, const Handle*& h) const;
    seam::RegKey NewHandle(std::shared_ptr<Key> key, seam::RegAccess access);
    static Value* FindValue(Key& key, const std::string& name);
    static std::u16string RealName(const Value& v);
    // FindValue, then the lossy spellings: kErrSuccess with `out` set,
    // kErrFileNotFound or kErrAmbiguousName.
    static long ResolveValue(Key& key, const std::string& name, Value*& out);

    mutable std::mutex m_lock;
    std::shared_ptr<Key> m_roots[2];
    std::map<seam::RegKey, Handle> m_handles;
    seam::RegKey m_nNextHandle = 0x1000;
    int m_nBadCloses = 0;
    int m_nDeleteKeyCalls = 0;
    int m_nDeleteValueCalls = 0;
    int m_nOpenKeyCalls = 0;
    int m_nValueReadCalls = 0;
};

}  // namespace fakes
