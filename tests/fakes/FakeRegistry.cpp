#include "tests/fakes/FakeRegistry.h"

#include <cstring>

#include "seam/Text.h"
#include "tests/fakes/FoldCase.h"

namespace fakes {
namespace {

// How RegEnumValueA spells a UTF-16 name: each character in code page 949,
// and '?' for each UTF-16 unit of a character that 949 lacks.
std::string AnsiSpelling(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t len = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (len > utf8.size() - i) len = utf8.size() - i;
        const std::string character = utf8.substr(i, len);
        const std::string ansi = seam::Cp949FromUtf8(character);
        if (seam::Utf8FromCp949(ansi) == character) {
            out += ansi;
        } else {
            out.append(len == 4 ? 2 : 1, '?');  // four UTF-8 bytes: a surrogate pair
        }
        i += len;
    }
    return out;
}

// UTF-8 as UTF-16, as the registry holds names.
std::u16string Utf16FromUtf8(const std::string& utf8) {
    std::u16string out;
    for (size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t len = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (len > utf8.size() - i) len = utf8.size() - i;
        char32_t c = len == 1 ? lead : lead & (0x7F >> len);
        for (size_t k = 1; k < len; ++k) c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += len;
    }
    return out;
}

// Registry names compare without case; ASCII letters are enough here.
bool SameWideName(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const char16_t x = a[i] >= u'A' && a[i] <= u'Z' ? a[i] + 32 : a[i];
        const char16_t y = b[i] >= u'A' && b[i] <= u'Z' ? b[i] + 32 : b[i];
        if (x != y) return false;
    }
    return true;
}

bool MayRead(seam::RegAccess a) { return a != seam::RegAccess::Write; }
bool MayWrite(seam::RegAccess a) { return a != seam::RegAccess::Read; }
bool AsksFullAccess(seam::RegAccess a) { return a == seam::RegAccess::AllAccess || a == seam::RegAccess::Write; }

}  // namespace

FakeRegistry::FakeRegistry() {
    for (auto& root : m_roots) root = std::make_shared<Key>();
}

FakeRegistry::~FakeRegistry() = default;

std::vector<std::string> FakeRegistry::Split(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::shared_ptr<FakeRegistry::Key> FakeRegistry::Find(seam::RegRoot root, const std::string& path) const {
    std::shared_ptr<Key> key = m_roots[static_cast<int>(root)];
    for (const std::string& part : Split(path)) {
        std::shared_ptr<Key> next;
        for (const auto& sub : key->subkeys) {
            if (SameName(sub->name, part)) { next = sub; break; }
        }
        if (!next) return nullptr;
        key = next;
    }
    return key;
}

std::shared_ptr<FakeRegistry::Key> FakeRegistry::Make(seam::RegRoot root, const std::string& path) {
    std::shared_ptr<Key> key = m_roots[static_cast<int>(root)];
    for (const std::string& part : Split(path)) {
        std::shared_ptr<Key> next;
        for (const auto& sub : key->subkeys) {
            if (SameName(sub->name, part)) { next = sub; break; }
        }
        if (!next) {
            next = std::make_shared<Key>();
            next->name = part;
            next->parent = key.get();
            key->subkeys.push_back(next);
        }
        key = next;
    }
    return key;
}

const FakeRegistry::Handle* FakeRegistry::Lookup(seam::RegKey key) const {
    auto it = m_handles.find(key);
    return it == m_handles.end() ? nullptr : &it->second;
}

long FakeRegistry::Usable(seam::RegKey key, bool bWrite, const Handle*& h) const {
    h = Lookup(key);
    if (!h) return seam::kErrInvalidHandle;
    if (h->key->deleted) return kErrKeyDeleted;
    const bool allowed = bWrite ? MayWrite(h->access) && !(h->key->deny & kDenyWriteValues) : MayRead(h->access);
    return allowed ? seam::kErrSuccess : seam::kErrAccessDenied;
}

seam::RegKey FakeRegistry::NewHandle(std::shared_ptr<Key> key, seam::RegAccess access) {
    seam::RegKey h = m_nNextHandle;
    m_nNextHandle += 4;
    m_handles.emplace(h, Handle{std::move(key), access});
    return h;
}

FakeRegistry::Value* FakeRegistry::FindValue(Key& key, const std::string& name) {
    for (auto& v : key.values) {
        // An ANSI name never reaches a value whose real name 949 cannot spell.
        if (v.unicodeName.empty() && SameName(v.name, name)) return &v;
    }
    return nullptr;
}

long FakeRegistry::ResolveValue(Key& key, const std::string& name, Value*& out) {
    out = FindValue(key, name);
    if (out) return seam::kErrSuccess;
    int matches = 0;
    for (auto& v : key.values) {
        if (!v.unicodeName.empty() && v.name == name) {
            out = &v;
            ++matches;
        }
    }
    if (matches == 1) return seam::kErrSuccess;
    out = nullptr;
    return matches == 0 ? seam::kErrFileNotFound : seam::kErrAmbiguousName;
}

long FakeRegistry::OpenKey(seam::RegRoot root, const std::string& path, seam::RegAccess access, seam::RegKey& out) {
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_nOpenKeyCalls;
    out = 0;
    std::shared_ptr<Key> key = Find(root, path);
    if (!key) return seam::kErrFileNotFound;
    if (key->deny & kDenyOpen) return seam::kErrAccessDenied;
    if ((key->deny & kDenyFullAccess) && AsksFullAccess(access)) return seam::kErrAccessDenied;
    out = NewHandle(key, access);
    return seam::kErrSuccess;
}

long FakeRegistry::CreateKey(seam::RegRoot root, const std::string& path, seam::RegAccess access, seam::RegKey& out) {
    std::lock_guard<std::mutex> hold(m_lock);
    out = 0;
    std::shared_ptr<Key> existing = Find(root, path);
    if (existing && (existing->deny & kDenyOpen)) return seam::kErrAccessDenied;
    if (existing && (existing->deny & kDenyFullAccess) && AsksFullAccess(access)) return seam::kErrAccessDenied;
    out = NewHandle(existing ? existing : Make(root, path), access);
    return seam::kErrSuccess;
}

void FakeRegistry::CloseKey(seam::RegKey key) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_handles.erase(key) == 0) ++m_nBadCloses;
}

long FakeRegistry::EnumValueName(seam::RegKey key, uint32_t index, std::string& name, uint32_t capacity) {
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_nValueReadCalls;
    const Handle* h = nullptr;
    if (long r = Usable(key, false, h); r != seam::kErrSuccess) return r;
    const auto& values = h->key->values;
    if (index >= values.size()) return seam::kErrNoMoreItems;
    if (values[index].name.size() + 1 > capacity) return seam::kErrMoreData;
    name = values[index].name;
    return seam::kErrSuccess;
}

long FakeRegistry::EnumValue(seam::RegKey key, uint32_t index, std::string& name, uint32_t nameCapacity,
                             std::vector<uint8_t>& data, uint32_t dataCapacity, uint32_t* type) {
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_nValueReadCalls;
    name.clear();
    data.clear();
    const Handle* h = nullptr;
    if (long r = Usable(key, false, h); r != seam::kErrSuccess) return r;
    const auto& values = h->key->values;
    if (index >= values.size()) return seam::kErrNoMoreItems;
    const Value& v = values[index];
    if (v.name.size() + 1 > nameCapacity || v.data.size() > dataCapacity) return seam::kErrMoreData;
    name = v.name;
    data = v.data;
    if (type) *type = v.type;
    return seam::kErrSuccess;
}

long FakeRegistry::QueryValue(seam::RegKey key, const std::string& name, std::vector<uint8_t>& data,
                              uint32_t capacity, uint32_t* type) {
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_nValueReadCalls;
    data.clear();
    const Handle* h = nullptr;
    if (long r = Usable(key, false, h); r != seam::kErrSuccess) return r;
    Value* v = nullptr;
    if (long r = ResolveValue(*h->key, name, v); r != seam::kErrSuccess) return r;
    if (type) *type = v->type;
    if (v->data.size() > capacity) return seam::kErrMoreData;
    data = v->data;
    return seam::kErrSuccess;
}

long FakeRegistry::SetValue(seam::RegKey key, const std::string& name, uint32_t type,
                            const std::vector<uint8_t>& data) {
    std::lock_guard<std::mutex> hold(m_lock);
    const Handle* h = nullptr;
    if (long r = Usable(key, true, h); r != seam::kErrSuccess) return r;
    if (Value* v = FindValue(*h->key, name)) {
        v->type = type;  // an existing value keeps its place and its spelling
        v->data = data;
    } else {
        h->key->values.push_back(Value{name, type, data, {}});
    }
    return seam::kErrSuccess;
}

long FakeRegistry::DeleteValue(seam::RegKey key, const std::string& name) {
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_nDeleteValueCalls;
    const Handle* h = nullptr;
    if (long r = Usable(key, true, h); r != seam::kErrSuccess) return r;
    Value* v = nullptr;
    if (long r = ResolveValue(*h->key, name, v); r != seam::kErrSuccess) return r;
    auto& values = h->key->values;
    values.erase(values.begin() + (v - values.data()));
    return seam::kErrSuccess;
}

std::u16string FakeRegistry::RealName(const Value& v) {
    return Utf16FromUtf8(v.unicodeName.empty() ? seam::Utf8FromCp949(v.name) : v.unicodeName);
}

long FakeRegistry::EnumValueNameWide(seam::RegKey key, uint32_t index, std::u16string& name) {
    std::lock_guard<std::mutex> hold(m_lock);
    const Handle* h = nullptr;
    if (long r = Usable(key, false, h); r != seam::kErrSuccess) return r;
    const auto& values = h->key->values;
    if (index >= values.size()) return seam::kErrNoMoreItems;
    name = RealName(values[index]);
    return seam::kErrSuccess;
}

long FakeRegistry::DeleteValueWide(seam::RegKey key, const std::u16string& name) {
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_nDeleteValueCalls;
    const Handle* h = nullptr;
    if (long r = Usable(key, true, h); r != seam::kErrSuccess) return r;
    auto& values = h->key->values;
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (!SameWideName(RealName(*it), name)) continue;
        values.erase(it);
        return seam::kErrSuccess;
    }
    return seam::kErrFileNotFound;
}

long FakeRegistry::EnumSubkey(seam::RegKey key, uint32_t index, std::string& name, uint32_t capacity) {
    std::lock_guard<std::mutex> hold(m_lock);
    const Handle* h = nullptr;
    if (long r = Usable(key, false, h); r != seam::kErrSuccess) return r;
    const auto& subkeys = h->key->subkeys;
    if (index >= subkeys.size()) return seam::kErrNoMoreItems;
    if (subkeys[index]->name.size() + 1 > capacity) return seam::kErrMoreData;
    name = subkeys[index]->name;
    return seam::kErrSuccess;
}

long FakeRegistry::DeleteKey(seam::RegRoot root, const std::string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_nDeleteKeyCalls;
    std::shared_ptr<Key> key = Find(root, path);
    if (!key) return seam::kErrFileNotFound;
    if (!key->parent) return seam::kErrAccessDenied;  // a root cannot be deleted
    if (key->deny & kDenyDeleteKey) return seam::kErrAccessDenied;
    if (!key->subkeys.empty()) return seam::kErrAccessDenied;
    auto& siblings = key->parent->subkeys;
    for (auto it = siblings.begin(); it != siblings.end(); ++it) {
        if (*it == key) { siblings.erase(it); break; }
    }
    // Handles still open on it see ERROR_KEY_DELETED from now on.
    key->deleted = true;
    key->parent = nullptr;
    key->values.clear();
    return seam::kErrSuccess;
}

void FakeRegistry::AddKey(seam::RegRoot root, const std::string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    Make(root, path);
}

void FakeRegistry::SetString(seam::RegRoot root, const std::string& path, const std::string& name,
                             const std::string& text, uint32_t type) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    SetBytes(root, path, name, type, bytes);
}

void FakeRegistry::SetDword(seam::RegRoot root, const std::string& path, const std::string& name,
                            uint32_t value) {
    std::vector<uint8_t> bytes(4);
    std::memcpy(bytes.data(), &value, 4);  // little-endian on every target we build for
    SetBytes(root, path, name, seam::kRegDword, bytes);
}

void FakeRegistry::SetBytes(seam::RegRoot root, const std::string& path, const std::string& name,
                            uint32_t type, const std::vector<uint8_t>& data) {
    std::lock_guard<std::mutex> hold(m_lock);
    std::shared_ptr<Key> key = Make(root, path);
    if (Value* v = FindValue(*key, name)) {
        v->type = type;
        v->data = data;
    } else {
        key->values.push_back(Value{name, type, data, {}});
    }
}

void FakeRegistry::SetStringUnicodeName(seam::RegRoot root, const std::string& path,
                                        const std::string& utf8Name, const std::string& text) {
    const std::string spelling = AnsiSpelling(utf8Name);
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    if (seam::Utf8FromCp949(spelling) == utf8Name) {
        SetBytes(root, path, spelling, seam::kRegSz, bytes);
        return;
    }
    std::lock_guard<std::mutex> hold(m_lock);
    std::shared_ptr<Key> key = Make(root, path);
    for (auto& v : key->values) {
        if (SameName(v.unicodeName, utf8Name)) {
            v.type = seam::kRegSz;
            v.data = bytes;
            return;
        }
    }
    key->values.push_back(Value{spelling, seam::kRegSz, bytes, utf8Name});
}

void FakeRegistry::Deny(seam::RegRoot root, const std::string& path, unsigned what) {
    std::lock_guard<std::mutex> hold(m_lock);
    Make(root, path)->deny = what;
}

bool FakeRegistry::KeyExists(seam::RegRoot root, const std::string& path) const {
    std::lock_guard<std::mutex> hold(m_lock);
    return Find(root, path) != nullptr;
}

bool FakeRegistry::ValueExists(seam::RegRoot root, const std::string& path, const std::string& name) const {
    std::lock_guard<std::mutex> hold(m_lock);
    std::shared_ptr<Key> key = Find(root, path);
    return key && FindValue(*key, name) != nullptr;
}

bool FakeRegistry::UnicodeNamedValueExists(seam::RegRoot root, const std::string& path,
                                           const std::string& utf8Name) const {
    std::lock_guard<std::mutex> hold(m_lock);
    std::shared_ptr<Key> key = Find(root, path);
    if (!key) return false;
    for (const auto& v : key->values) {
        const std::string real = v.unicodeName.empty() ? seam::Utf8FromCp949(v.name) : v.unicodeName;
        if (SameName(real, utf8Name)) return true;
    }
    return false;
}

std::string FakeRegistry::StringValue(seam::RegRoot root, const std::string& path,
                                      const std::string& name) const {
    std::lock_guard<std::mutex> hold(m_lock);
    std::shared_ptr<Key> key = Find(root, path);
    const Value* v = key ? FindValue(*key, name) : nullptr;
    if (!v) return "";
    std::string text(v->data.begin(), v->data.end());
    return text.substr(0, text.find('\0'));
}

std::vector<std::string> FakeRegistry::ValueNames(seam::RegRoot root, const std::string& path) const {
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<std::string> names;
    if (std::shared_ptr<Key> key = Find(root, path)) {
        for (const auto& v : key->values) names.push_back(v.name);
    }
    return names;
}

std::vector<std::string> FakeRegistry::SubkeyNames(seam::RegRoot root, const std::string& path) const {
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<std::string> names;
    if (std::shared_ptr<Key> key = Find(root, path)) {
        for (const auto& sub : key->subkeys) names.push_back(sub->name);
    }
    return names;
}

int FakeRegistry::OpenHandleCount() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return static_cast<int>(m_handles.size());
}

int FakeRegistry::BadCloseCount() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nBadCloses;
}

int FakeRegistry::DeleteKeyCalls() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nDeleteKeyCalls;
}

int FakeRegistry::OpenKeyCalls() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nOpenKeyCalls;
}

int FakeRegistry::ValueReadCalls() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nValueReadCalls;
}

int FakeRegistry::DeleteValueCalls() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nDeleteValueCalls;
}

}  // namespace fakes
