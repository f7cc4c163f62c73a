#include "tests/fakes/FakeTrust.h"

#include <sstream>

#include "seam/Text.h"

namespace fakes {
namespace {

constexpr const char* kSignedBy = "fake-authenticode ";
constexpr const char* kChanged = "changed after signing";

}  // namespace

std::string SignedBody(const FakeRelease& release) {
    std::ostringstream body;
    if (release.signer.empty()) {
        body << "no signature\n";
    } else {
        body << kSignedBy << release.thumbprint << ' ' << release.version << ' ' << release.signer << '\n';
    }
    if (!release.intact) body << kChanged;
    return body.str();
}

seam::HeldFile FakeTrust::Hold(const std::u16string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    if (!m_files->Exists(path)) return 0;
    m_files->HoldOpen(path);
    m_held[m_next] = path;
    return m_next++;
}

seam::SignatureInfo FakeTrust::Inspect(seam::HeldFile file) {
    seam::SignatureInfo info;
    std::u16string path;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        auto it = m_held.find(file);
        if (it == m_held.end()) return info;
        path = it->second;
    }
    std::vector<uint8_t> bytes;
    if (m_files->ReadFile(path, 4096, bytes) != seam::kErrSuccess) return info;
    const std::string body(bytes.begin(), bytes.end());
    const std::string prefix = kSignedBy;
    const size_t end = body.find('\n');
    if (body.compare(0, prefix.size(), prefix) != 0 || end + 1 != body.size()) return info;
    std::istringstream fields(body.substr(prefix.size(), end - prefix.size()));
    std::string signer;
    fields >> info.thumbprint >> info.version;
    std::getline(fields >> std::ws, signer);
    info.commonName = seam::Utf16FromUtf8(signer);
    info.bVerified = !signer.empty();
    return info;
}

bool FakeTrust::Start(seam::HeldFile file) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_held.find(file);
    if (it == m_held.end()) return false;
    m_started.push_back(it->second);
    return m_bStartOk;
}

void FakeTrust::Release(seam::HeldFile file) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_held.find(file);
    if (it == m_held.end()) return;
    m_files->Release(it->second);
    m_held.erase(it);
}

uint64_t FakeTrust::OwnVersion() {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_ownVersion;
}

void FakeTrust::SetOwnVersion(uint64_t version) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_ownVersion = version;
}

void FakeTrust::SetStartResult(bool ok) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_bStartOk = ok;
}

std::vector<std::u16string> FakeTrust::Started() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_started;
}

size_t FakeTrust::HeldCount() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_held.size();
}

}  // namespace fakes
