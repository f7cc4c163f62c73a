// The network seam against the test server: a reply is read line by line,
// an unanswered or refused request fails (within its time-outs; how long is
// a benchmark's business, not this suite's).
#include "seam/Text.h"
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

using ContractNet = ContractTest;

TEST_F(ContractNet, FetchLinesReadsTheBodyUpToTheCap) {
    std::vector<std::string> lines{"stale"};
    ASSERT_TRUE(P().net.FetchLines(m_cp->TestServerBase() + "/lines", seam::NetTimeouts{}, 4096, lines));
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), lines);

    // Five bytes of "one\ntwo\nthree\n": the first line whole, at most a piece of the second.
    ASSERT_TRUE(P().net.FetchLines(m_cp->TestServerBase() + "/lines", seam::NetTimeouts{}, 5, lines));
    ASSERT_GE(lines.size(), 1u);
    EXPECT_LE(lines.size(), 2u);
    EXPECT_EQ("one", lines[0]);
}

TEST_F(ContractNet, UnansweredAndRefusedRequestsFail) {
    const seam::NetTimeouts quick{2000, 2000};
    std::vector<std::string> lines;
    EXPECT_FALSE(P().net.FetchLines(m_cp->TestServerBase() + "/stall", quick, 4096, lines));
    EXPECT_FALSE(P().net.FetchLines("http://127.0.0.1:1/lines", quick, 4096, lines));
}
// A file that carries no signature is never taken as the maker's; the file
// can then be removed, once, by the path the download took.
TEST_F(ContractNet, UnsignedDownloadIsNotTheMakersAndCanBeRemoved) {
    const std::string path = P().system.ModulePath() + ".contract-download";
    ASSERT_TRUE(P().net.DownloadToFile(m_cp->TestServerBase() + "/lines", path, seam::NetTimeouts{}));
    EXPECT_FALSE(P().trust.IsSignedBy(path, "Kestravin"));
    EXPECT_FALSE(P().trust.IsSignedBy(path, ""));
    EXPECT_EQ(seam::kErrSuccess, P().files.DeleteFile(seam::Utf16FromCp949(path)));
    EXPECT_FALSE(P().trust.IsSignedBy(path, "Kestravin"));
    EXPECT_EQ(seam::FileFate::Gone, seam::FileFateOf(P().files.DeleteFile(seam::Utf16FromCp949(path))));
}

}  // namespace
}  // namespace contract
