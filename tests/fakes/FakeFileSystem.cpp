#include "tests/fakes/FakeFileSystem.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "seam/Text.h"

namespace fs = std::filesystem;

namespace fakes {
namespace {

// The user's folders as a Korean Windows 10 names them for a user whose
// name is not ASCII.
const char16_t* KnownPath(seam::KnownFolder folder) {
    switch (folder) {
        case seam::KnownFolder::RoamingAppData: return u"C:\\Users\\김하늘\\AppData\\Roaming";
        case seam::KnownFolder::LocalAppData: return u"C:\\Users\\김하늘\\AppData\\Local";
        case seam::KnownFolder::Recent: return u"C:\\Users\\김하늘\\AppData\\Roaming\\Microsoft\\Windows\\Recent";
    }
    return u"";
}

// A missing file is "not found"; a missing folder on its way, "path not found".
long Missing(const std::string& mapped) {
    std::error_code ec;
    return fs::is_directory(fs::path(mapped).parent_path(), ec) ? long{seam::kErrFileNotFound}
                                                                 : long{seam::kErrPathNotFound};
}

}  // namespace

FakeFileSystem::~FakeFileSystem() {
    if (m_strRoot.empty()) return;
    std::error_code ec;
    fs::remove_all(m_strRoot, ec);
}

const std::string& FakeFileSystem::Root() {
    if (m_strRoot.empty()) {
        std::string pattern = (fs::temp_directory_path() / "kv-files-XXXXXX").string();
        if (::mkdtemp(&pattern[0])) m_strRoot = pattern;
    }
    return m_strRoot;
}

std::string FakeFileSystem::Mapped(const std::u16string& path) {
    std::u16string rest = path;
    if (rest.compare(0, 4, u"\\\\?\\") == 0) rest.erase(0, 4);
    if (rest.size() < 2 || rest[1] != u':' || !((rest[0] >= u'A' && rest[0] <= u'Z') || (rest[0] >= u'a' && rest[0] <= u'z')))
        return {};
    if (Root().empty()) return {};
    std::string mapped = m_strRoot + "/" + static_cast<char>(rest[0] & ~0x20);
    size_t start = 2;
    while (start < rest.size()) {
        size_t end = rest.find(u'\\', start);
        if (end == std::u16string::npos) end = rest.size();
        const std::u16string part = rest.substr(start, end - start);
        if (part == u"..") return {};
        if (!part.empty() && part != u".") mapped += "/" + seam::Utf8FromUtf16(part);
        start = end + 1;
    }
    return mapped;
}

long FakeFileSystem::KnownFolderPath(seam::KnownFolder folder, std::u16string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    const auto redirected = m_redirected.find(folder);
    path = redirected != m_redirected.end() ? redirected->second : KnownPath(folder);
    const std::u16string profile = u"C:\\Users\\김하늘\\";
    if (folder == seam::KnownFolder::Recent && path.compare(0, profile.size(), profile) != 0) return seam::kErrLinked;
    std::error_code ec;
    fs::create_directories(Mapped(path), ec);
    return seam::kErrSuccess;
}

// Whether a part of the path below the root, the last one included, is a link.
bool FakeFileSystem::ThroughLink(const std::string& mapped) {
    const std::string& root = Root();
    if (mapped.size() <= root.size()) return false;
    std::error_code ec;
    for (size_t slash = mapped.find('/', root.size() + 1);; slash = mapped.find('/', slash + 1)) {
        if (fs::is_symlink(mapped.substr(0, slash), ec)) return true;
        if (slash == std::string::npos) return false;
    }
}

long FakeFileSystem::ListFolder(const std::u16string& folder, std::vector<seam::FileEntry>& entries) {
    std::lock_guard<std::mutex> hold(m_lock);
    entries.clear();
    const std::string mapped = Mapped(folder);
    std::error_code ec;
    if (mapped.empty() || !fs::is_directory(mapped, ec)) return seam::kErrPathNotFound;
    if (ThroughLink(mapped)) return seam::kErrLinked;
    for (fs::directory_iterator it(mapped, ec), end; !ec && it != end; it.increment(ec)) {
        seam::FileEntry entry;
        entry.name = seam::Utf16FromUtf8(it->path().filename().string());
        std::error_code statEc;
        if (it->is_symlink(statEc)) entry.attributes |= seam::kAttrReparsePoint;
        if (it->is_directory(statEc)) {
            entry.attributes |= seam::kAttrDirectory;
        } else {
            entry.size = it->file_size(statEc);
        }
        auto attr = m_attributes.find(it->path().string());
        if (attr != m_attributes.end()) entry.attributes |= attr->second;
        entries.push_back(std::move(entry));
    }
    return ec ? seam::kErrAccessDenied : seam::kErrSuccess;
}

long FakeFileSystem::ReadFile(const std::u16string& path, size_t maxBytes, std::vector<uint8_t>& data) {
    std::lock_guard<std::mutex> hold(m_lock);
    data.clear();
    const std::string mapped = Mapped(path);
    if (mapped.empty()) return seam::kErrPathNotFound;
    std::error_code ec;
    if (fs::is_directory(mapped, ec)) return seam::kErrAccessDenied;
    if (ThroughLink(mapped)) return seam::kErrLinked;
    std::ifstream in(mapped, std::ios::binary);
    if (!in) return Missing(mapped);
    const uintmax_t size = fs::file_size(mapped, ec);
    data.resize(ec ? maxBytes : static_cast<size_t>(std::min<uintmax_t>(size, maxBytes)));
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<size_t>(in.gcount()));
    return seam::kErrSuccess;
}

long FakeFileSystem::Refusal(const std::string& mapped) {
    if (mapped.empty()) return seam::kErrPathNotFound;
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(mapped, ec);
    if (!fs::exists(status)) return Missing(mapped);
    if (ThroughLink(mapped)) return seam::kErrLinked;
    if (fs::is_directory(status)) return seam::kErrAccessDenied;
    if (m_held.count(mapped)) return seam::kErrSharingViolation;
    auto attr = m_attributes.find(mapped);
    if (attr != m_attributes.end() && (attr->second & seam::kAttrReadOnly)) return seam::kErrAccessDenied;
    return seam::kErrSuccess;
}

long FakeFileSystem::OpenForWriting(const std::u16string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    return Refusal(Mapped(path));
}

long FakeFileSystem::DeleteFile(const std::u16string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    const std::string mapped = Mapped(path);
    const long refused = Refusal(mapped);
    if (refused != seam::kErrSuccess) return refused;
    std::error_code ec;
    if (!fs::remove(mapped, ec)) return seam::kErrAccessDenied;
    m_attributes.erase(mapped);
    return seam::kErrSuccess;
}

long FakeFileSystem::PlainRefusal(const std::string& mapped, bool bFolder) {
    if (mapped.empty()) return seam::kErrPathNotFound;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(mapped, ec))) return Missing(mapped);
    if (ThroughLink(mapped)) return seam::kErrLinked;
    if (fs::is_directory(mapped, ec) == bFolder) return seam::kErrSuccess;
    return bFolder ? 267 /* ERROR_DIRECTORY */ : seam::kErrAccessDenied;
}

long FakeFileSystem::CheckPlainFile(const std::u16string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    return PlainRefusal(Mapped(path), false);
}

std::unique_ptr<seam::IFileHold> FakeFileSystem::HoldPlain(const std::u16string& path, bool bFolder, long& error) {
    // A hold is one more holder that does not let others delete or rename.
    class Hold final : public seam::IFileHold {
    public:
        Hold(FakeFileSystem& files, std::string mapped) : m_files(files), m_mapped(std::move(mapped)) {}
        ~Hold() override {
            std::lock_guard<std::mutex> hold(m_files.m_lock);
            const auto it = m_files.m_held.find(m_mapped);
            if (it != m_files.m_held.end()) m_files.m_held.erase(it);
        }

    private:
        FakeFileSystem& m_files;
        std::string m_mapped;
    };
    std::lock_guard<std::mutex> hold(m_lock);
    const std::string mapped = Mapped(path);
    error = PlainRefusal(mapped, bFolder);
    if (error != seam::kErrSuccess) return nullptr;
    m_held.insert(mapped);
    return std::make_unique<Hold>(*this, mapped);
}

std::string FakeFileSystem::Utf8Path(const std::u16string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    return Mapped(path);
}

long FakeFileSystem::CreateFolder(const std::u16string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    const std::string mapped = Mapped(path);
    if (mapped.empty()) return seam::kErrPathNotFound;
    std::error_code ec;
    if (ThroughLink(mapped)) return seam::kErrLinked;
    if (fs::is_directory(mapped, ec)) return seam::kErrSuccess;
    if (fs::exists(mapped, ec)) return seam::kErrAccessDenied;
    if (!fs::is_directory(fs::path(mapped).parent_path(), ec)) return seam::kErrPathNotFound;
    return fs::create_directory(mapped, ec) ? seam::kErrSuccess : seam::kErrAccessDenied;
}

long FakeFileSystem::WriteNewFile(const std::u16string& path, const std::string& bytes) {
    std::lock_guard<std::mutex> hold(m_lock);
    const std::string mapped = Mapped(path);
    if (mapped.empty()) return seam::kErrPathNotFound;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(mapped, ec))) return seam::kErrFileExists;
    if (!fs::is_directory(fs::path(mapped).parent_path(), ec)) return seam::kErrPathNotFound;
    std::ofstream out(mapped, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out ? seam::kErrSuccess : seam::kErrAccessDenied;
}

bool FakeFileSystem::MakeFolder(const std::u16string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    const std::string mapped = Mapped(path);
    std::error_code ec;
    fs::create_directories(mapped, ec);
    return !mapped.empty() && fs::is_directory(mapped, ec);
}

bool FakeFileSystem::WriteFile(const std::u16string& path, const std::string& bytes) {
    std::lock_guard<std::mutex> hold(m_lock);
    const std::string mapped = Mapped(path);
    if (mapped.empty()) return false;
    std::error_code ec;
    fs::create_directories(fs::path(mapped).parent_path(), ec);
    std::ofstream out(mapped, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

void FakeFileSystem::HoldOpen(const std::u16string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_held.insert(Mapped(path));
}

void FakeFileSystem::Release(const std::u16string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_held.erase(Mapped(path));
}

void FakeFileSystem::SetAttributes(const std::u16string& path, uint32_t attributes) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_attributes[Mapped(path)] = attributes & ~seam::kAttrDirectory;
}

void FakeFileSystem::RedirectKnownFolder(seam::KnownFolder folder, const std::u16string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_redirected[folder] = path;
}

bool FakeFileSystem::MakeLink(const std::u16string& path, const std::u16string& target) {
    std::lock_guard<std::mutex> hold(m_lock);
    const std::string mapped = Mapped(path);
    const std::string hostTarget = Mapped(target);
    if (mapped.empty() || hostTarget.empty()) return false;
    std::error_code ec;
    fs::create_directories(fs::path(mapped).parent_path(), ec);
    fs::create_symlink(hostTarget, mapped, ec);
    return !ec;
}

bool FakeFileSystem::Exists(const std::u16string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    const std::string mapped = Mapped(path);
    std::error_code ec;
    return !mapped.empty() && fs::exists(mapped, ec);
}

bool FakeFileSystem::ReadAll(const std::u16string& path, std::string& bytes) {
    std::lock_guard<std::mutex> hold(m_lock);
    std::ifstream in(Mapped(path), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace fakes
