// The maker's signing certificates: the one place they are written. Built
// into Kestravin.exe as it is; the Wine tests' copy of the program is built
// from this same file with KV_TEST_SIGNER_PIN defined, which adds the
// throw-away certificate that tests/wine/signing.py makes for each run. That
// define exists only on that target in CMakeLists.txt: the shipped program
// contains no code that reads a pin from anywhere but this table.
#include "net/update/MakerRelease.h"

#ifdef KV_TEST_SIGNER_PIN
#include <cstdlib>
#endif

namespace net {
namespace {

// SHA-256 of each certificate the maker signs releases with (its DER
// encoding), upper-case hexadecimal; a renewed certificate is added here
// before the first release signed with it. While this holds none, no
// downloaded update is ever started.
const char* const kMakerThumbprints[] = {
    nullptr,
};

}  // namespace

MakerPins BuiltInMakerPins() {
    MakerPins pins;
    pins.commonName = u"Kestravin";
    for (const char* thumbprint : kMakerThumbprints)
        if (thumbprint) pins.thumbprints.push_back(thumbprint);
#ifdef KV_TEST_SIGNER_PIN
    // The tests' certificate is made afresh for each run, so its thumbprint
    // comes with the run.
    if (const char* test = std::getenv("KESTRAVIN_TEST_SIGNER")) pins.thumbprints.push_back(test);
#endif
    return pins;
}

}  // namespace net
