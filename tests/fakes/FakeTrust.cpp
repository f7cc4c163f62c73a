#include "tests/fakes/FakeTrust.h"

#include <vector>

#include "seam/Text.h"

namespace fakes {
namespace {

constexpr const char* kSignedBy = "fake-authenticode signer=";
constexpr const char* kChanged = "changed after signing";

}  // namespace

std::string SignedBody(const std::string& signer, bool intact) {
    std::string body = signer.empty() ? std::string("no signature\n") : kSignedBy + signer + "\n";
    if (!intact) body += kChanged;
    return body;
}

bool FakeTrust::IsSignedBy(const std::string& path, const std::string& publisher) {
    std::vector<uint8_t> bytes;
    if (m_files->ReadFile(seam::Utf16FromCp949(path), 4096, bytes) != seam::kErrSuccess) return false;
    const std::string body(bytes.begin(), bytes.end());
    const std::string prefix = kSignedBy;
    if (body.compare(0, prefix.size(), prefix) != 0) return false;
    const size_t end = body.find('\n');
    if (end == std::string::npos || end + 1 != body.size()) return false;  // changed after signing
    const std::string signer = body.substr(prefix.size(), end - prefix.size());
    return !signer.empty() && signer == publisher;
}

}  // namespace fakes
