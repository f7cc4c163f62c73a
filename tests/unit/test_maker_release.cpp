// Which signed files are the maker's newer releases.
#include <gtest/gtest.h>

#include <string>

#include "net/update/MakerRelease.h"

namespace net {
namespace {

const std::string kPinned = std::string(64, 'A');
const std::string kOtherPinned = "0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF";
constexpr uint64_t kOwn = 0x0001000000000002ull;  // 1.0.0.2

seam::SignatureInfo Signed(std::u16string name, std::string thumbprint, uint64_t version) {
    seam::SignatureInfo info;
    info.bVerified = true;
    info.commonName = std::move(name);
    info.thumbprint = std::move(thumbprint);
    info.version = version;
    return info;
}

TEST(MakerRelease, OnlyAPinnedCertificateOfTheMakersNameOnANewerVersionIsAccepted) {
    const MakerPins pins{u"Kestravin", {kPinned, kOtherPinned}};
    seam::SignatureInfo unverified = Signed(u"Kestravin", kPinned, kOwn + 1);
    unverified.bVerified = false;
    struct Case {
        const char* what;
        seam::SignatureInfo signature;
        ReleaseVerdict verdict;
    };
    const Case cases[] = {
        {"the right one", Signed(u"Kestravin", kPinned, kOwn + 1), ReleaseVerdict::Accepted},
        {"the other pinned certificate, a major version up", Signed(u"Kestravin", kOtherPinned, 0x0002000000000000ull),
         ReleaseVerdict::Accepted},
        {"no valid signature", unverified, ReleaseVerdict::NotVerified},
        {"a wrong thumbprint", Signed(u"Kestravin", std::string(63, 'A') + "B", kOwn + 1), ReleaseVerdict::NotTheMaker},
        {"the pinned thumbprint in lower case", Signed(u"Kestravin", std::string(64, 'a'), kOwn + 1),
         ReleaseVerdict::NotTheMaker},
        {"no thumbprint", Signed(u"Kestravin", "", kOwn + 1), ReleaseVerdict::NotTheMaker},
        {"a Cyrillic i in the name", Signed(u"Kestrav\u0456n", kPinned, kOwn + 1), ReleaseVerdict::NotTheMaker},
        {"a Cyrillic e in the name", Signed(u"K\u0435stravin", kPinned, kOwn + 1), ReleaseVerdict::NotTheMaker},
        {"a full-width K", Signed(u"\uFF2Bestravin", kPinned, kOwn + 1), ReleaseVerdict::NotTheMaker},
        {"the name in lower case", Signed(u"kestravin", kPinned, kOwn + 1), ReleaseVerdict::NotTheMaker},
        {"the name and more", Signed(u"Kestravin Ltd", kPinned, kOwn + 1), ReleaseVerdict::NotTheMaker},
        {"the name with a NUL after it", Signed(std::u16string(u"Kestravin\0x", 11), kPinned, kOwn + 1),
         ReleaseVerdict::NotTheMaker},
        {"an equal version", Signed(u"Kestravin", kPinned, kOwn), ReleaseVerdict::NotNewer},
        {"an older version", Signed(u"Kestravin", kPinned, kOwn - 1), ReleaseVerdict::NotNewer},
        {"an older major version with a high build number", Signed(u"Kestravin", kPinned, 0x0000FFFFFFFFFFFFull),
         ReleaseVerdict::NotNewer},
        {"no version resource", Signed(u"Kestravin", kPinned, 0), ReleaseVerdict::NotNewer},
    };
    for (const Case& c : cases) EXPECT_EQ(c.verdict, JudgeRelease(c.signature, pins, kOwn)) << c.what;
}

TEST(MakerRelease, EmptyPinsOrNoVersionOfOurOwnAcceptNothing) {
    const seam::SignatureInfo right = Signed(u"Kestravin", kPinned, kOwn + 1);
    EXPECT_EQ(ReleaseVerdict::NotTheMaker, JudgeRelease(right, MakerPins{u"Kestravin", {}}, kOwn));
    EXPECT_EQ(ReleaseVerdict::NotTheMaker, JudgeRelease(right, MakerPins{u"", {kPinned}}, kOwn));
    EXPECT_EQ(ReleaseVerdict::NotTheMaker, JudgeRelease(Signed(u"", kPinned, kOwn + 1), MakerPins{u"", {kPinned}}, kOwn));
    EXPECT_EQ(ReleaseVerdict::NotNewer, JudgeRelease(right, MakerPins{u"Kestravin", {kPinned}}, 0));
}

TEST(MakerRelease, TheBuiltInPinsAreTheMakersNameAndWellFormedThumbprints) {
    const MakerPins pins = BuiltInMakerPins();
    EXPECT_EQ(u"Kestravin", pins.commonName);
    for (const std::string& thumbprint : pins.thumbprints) EXPECT_TRUE(IsThumbprint(thumbprint)) << thumbprint;
}

}  // namespace
}  // namespace net
