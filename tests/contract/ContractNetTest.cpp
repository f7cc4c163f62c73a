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
// A download creates a new file and never replaces one; a file that carries
// no signature verifies for no one; a held file cannot be deleted until it
// is released, and then goes once.
TEST_F(ContractNet, DownloadCreatesANewFileThatIsHeldUnsignedAndRemovedOnce) {
    const std::u16string path = seam::Utf16FromCp949(P().system.ModulePath() + ".contract-download.exe");
    const std::string url = m_cp->TestServerBase() + "/lines";
    ASSERT_EQ(seam::kErrSuccess, P().net.DownloadToNewFile(url, path, seam::NetTimeouts{}));
    EXPECT_EQ(seam::kErrFileExists, P().net.DownloadToNewFile(url, path, seam::NetTimeouts{}));
    std::vector<uint8_t> bytes;
    ASSERT_EQ(seam::kErrSuccess, P().files.ReadFile(path, 4096, bytes));
    const std::vector<uint8_t> first = bytes;

    const seam::HeldFile held = P().trust.Hold(path);
    ASSERT_NE(0u, held);
    const seam::SignatureInfo signature = P().trust.Inspect(held);
    EXPECT_FALSE(signature.bVerified);
    EXPECT_TRUE(signature.thumbprint.empty());
    EXPECT_EQ(seam::FileFate::InUse, seam::FileFateOf(P().files.DeleteFile(path)));
    P().trust.Release(held);

    ASSERT_EQ(seam::kErrSuccess, P().files.ReadFile(path, 4096, bytes));
    EXPECT_EQ(first, bytes);  // the refused second download left it as it was
    EXPECT_EQ(seam::kErrSuccess, P().files.DeleteFile(path));
    EXPECT_EQ(0u, P().trust.Hold(path));
    EXPECT_EQ(seam::FileFate::Gone, seam::FileFateOf(P().files.DeleteFile(path)));
}

TEST_F(ContractNet, CreateFolderTakesAFolderThatIsThereButNoFile) {
    const std::u16string folder = seam::Utf16FromCp949(P().system.ModulePath() + ".contract-folder");
    EXPECT_EQ(seam::kErrSuccess, P().files.CreateFolder(folder));
    EXPECT_EQ(seam::kErrSuccess, P().files.CreateFolder(folder));
    const std::u16string file = folder + u"\\file.exe";
    ASSERT_EQ(seam::kErrSuccess, P().net.DownloadToNewFile(m_cp->TestServerBase() + "/lines", file, seam::NetTimeouts{}));
    EXPECT_NE(seam::kErrSuccess, P().files.CreateFolder(file));
    EXPECT_EQ(seam::kErrSuccess, P().files.DeleteFile(file));
    EXPECT_NE(seam::kErrSuccess, P().files.CreateFolder(folder + u"\\missing\\below"));
}

}  // namespace
}  // namespace contract
