#include "net/update/MakerRelease.h"

#include <algorithm>

namespace net {

bool IsThumbprint(const std::string& text) {
    return text.size() == 64 &&
           std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

ReleaseVerdict JudgeRelease(const seam::SignatureInfo& signature, const MakerPins& pins, uint64_t ownVersion) {
    if (!signature.bVerified) return ReleaseVerdict::NotVerified;
    // An empty name or thumbprint on either side matches nothing.
    if (pins.commonName.empty() || signature.commonName != pins.commonName) return ReleaseVerdict::NotTheMaker;
    if (!IsThumbprint(signature.thumbprint) ||
        std::find(pins.thumbprints.begin(), pins.thumbprints.end(), signature.thumbprint) == pins.thumbprints.end())
        return ReleaseVerdict::NotTheMaker;
    // Without a version of our own nothing can be shown to be newer.
    if (ownVersion == 0 || signature.version <= ownVersion) return ReleaseVerdict::NotNewer;
    return ReleaseVerdict::Accepted;
}

}  // namespace net
