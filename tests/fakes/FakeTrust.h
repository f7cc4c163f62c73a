// Signatures the fake way: a file the fake network downloads carries its
// signature in its bytes (SignedBody), and the fake trust store reads it back
// from the fake file system through a held file. A file that is gone, or
// whose bytes changed after signing, verifies for no one. A held file is held
// open in the fake file system, so deleting it fails as on Windows.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "seam/Platform.h"
#include "tests/fakes/FakeFileSystem.h"

namespace fakes {

// The program's own version in the fakes: 1.0.0.2, as ui/Kestravin.rc.
inline constexpr uint64_t kFakeOwnVersion = 0x0001000000000002ull;

struct FakeRelease {
    std::string signer;      // UTF-8 common name under a trusted root; "" for an unsigned file
    std::string thumbprint;  // of the signing certificate
    uint64_t version = 0;    // the version resource; 0 for none
    bool intact = true;      // false plays a file changed after it was signed
};

// The bytes of a file signed as `release` says.
std::string SignedBody(const FakeRelease& release);

class FakeTrust : public seam::ITrust {
public:
    explicit FakeTrust(FakeFileSystem* files) : m_files(files) {}
    FakeTrust(const FakeTrust&) = delete;
    FakeTrust& operator=(const FakeTrust&) = delete;

    seam::HeldFile Hold(const std::u16string& path) override;
    seam::SignatureInfo Inspect(seam::HeldFile file) override;
    bool Start(seam::HeldFile file) override;
    void Release(seam::HeldFile file) override;
    uint64_t OwnVersion() override;

    void SetOwnVersion(uint64_t version);
    void SetStartResult(bool ok);
    // Paths of the files started, in order.
    std::vector<std::u16string> Started() const;
    // Files held and not yet released.
    size_t HeldCount() const;

private:
    FakeFileSystem* m_files;  // not owned
    mutable std::mutex m_lock;
    std::map<seam::HeldFile, std::u16string> m_held;
    seam::HeldFile m_next = 1;
    uint64_t m_ownVersion = kFakeOwnVersion;
    bool m_bStartOk = true;
    std::vector<std::u16string> m_started;
};

}  // namespace fakes
