// Whether a downloaded, signed file is a release of the maker's that is
// newer than the running program. A chain up to a trusted root proves only
// that some authority vouched for some name; any code-signing certificate
// bought for a look-alike (or the same) name would pass that. So the signing
// certificate itself must be one the maker pinned, the name must be the
// maker's in UTF-16 (no conversion that could fold a look-alike letter into
// a plain one), and the release must be newer than this one, so that an old
// signed release with a known fault cannot be served as an "update".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "seam/Platform.h"

namespace net {

struct MakerPins {
    // The subject common name of the maker's signing certificates.
    std::u16string commonName;
    // SHA-256 thumbprints of the maker's signing certificates, 64 upper-case
    // hexadecimal digits each.
    std::vector<std::string> thumbprints;
};

// The pins this program was built with (net/update/pins/MakerPins.cpp, the
// one place they are written).
MakerPins BuiltInMakerPins();

enum class ReleaseVerdict {
    Accepted,
    NotVerified,  // no valid signature up to a trusted root
    NotTheMaker,  // signed, but not with a pinned certificate of the maker's name
    NotNewer,     // the maker's, but not newer than the running program
};

ReleaseVerdict JudgeRelease(const seam::SignatureInfo& signature, const MakerPins& pins, uint64_t ownVersion);

// True for 64 upper-case hexadecimal digits.
bool IsThumbprint(const std::string& text);

}  // namespace net
