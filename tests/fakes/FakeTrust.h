// Signatures the fake way: a file the fake network downloads carries its
// signer in its bytes (SignedBody), and the fake trust store reads them back
// from the fake file system. A file that is gone, or whose bytes changed
// after signing, verifies for no one.
#pragma once

#include <string>

#include "seam/Platform.h"
#include "tests/fakes/FakeFileSystem.h"

namespace fakes {

// The bytes of a file signed by `signer` under a trusted root ("" for an
// unsigned file); `intact` false plays a file changed after it was signed.
std::string SignedBody(const std::string& signer, bool intact);

class FakeTrust : public seam::ITrust {
public:
    explicit FakeTrust(FakeFileSystem* files) : m_files(files) {}
    FakeTrust(const FakeTrust&) = delete;
    FakeTrust& operator=(const FakeTrust&) = delete;

    // `path` is code page 949, as the ANSI calls take it.
    bool IsSignedBy(const std::string& path, const std::string& publisher) override;

private:
    FakeFileSystem* m_files;  // not owned
};

}  // namespace fakes
