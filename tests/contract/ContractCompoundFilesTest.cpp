// Compound file edits, the way jump list entries are removed: the streams a
// plan names go, the planned stream takes its new content, every other
// stream keeps its bytes, and a file that cannot be edited whole is not
// changed at all.
#include <map>

#include "formats/CompoundFile.h"
#include "tests/contract/ContractFixture.h"
#include "tests/fakes/CompoundFileWriter.h"

namespace contract {
namespace {

std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return bytes;
}

class ContractCompoundFiles : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        m_strFolder = m_cp->ScratchFolder();
        ASSERT_FALSE(m_strFolder.empty());
        // Small streams live in the mini stream, large ones in sectors of
        // their own: both kinds are edited and kept.
        m_streams = {{u"DestList", Pattern(300, 1)},
                     {u"1", Pattern(5000, 2)},
                     {u"2", Pattern(700, 3)},
                     {u"a", Pattern(64, 4)}};
        m_strPath = m_strFolder + u"\\5f7b5f1e01b83767.automaticDestinations-ms";
        ASSERT_TRUE(Make(m_strPath, fakes::WriteCompoundFile(m_streams)));
    }

    bool Make(const std::u16string& path, const std::vector<uint8_t>& bytes) {
        return m_cp->MakeFile(path, std::string(bytes.begin(), bytes.end()));
    }
    std::vector<uint8_t> Bytes(const std::u16string& path) {
        std::vector<uint8_t> data;
        EXPECT_EQ(seam::kErrSuccess, P().files.ReadFile(path, 1 << 24, data));
        return data;
    }
    // The root storage's streams as our own reader sees them.
    std::map<std::u16string, std::vector<uint8_t>> Streams(const std::u16string& path) {
        const std::vector<uint8_t> data = Bytes(path);
        engine::CompoundFile file;
        std::map<std::u16string, std::vector<uint8_t>> out;
        EXPECT_TRUE(file.Open(data.data(), data.size()));
        for (const std::u16string& name : file.StreamNames()) {
            EXPECT_TRUE(file.ReadStream(name, out[name]));
        }
        return out;
    }
    long Edit(const std::u16string& path, std::vector<std::u16string> destroy, std::vector<uint8_t> content,
              std::vector<uint8_t>* seen = nullptr) {
        return P().compoundFiles.EditStreams(path, u"DestList", 1 << 20,
                                             [&](const std::vector<uint8_t>& stream, seam::StreamEdit& edit) {
                                                 if (seen) *seen = stream;
                                                 edit.destroy = destroy;
                                                 edit.content = content;
                                                 return true;
                                             });
    }

    std::u16string m_strFolder;
    std::u16string m_strPath;
    std::vector<fakes::CompoundStream> m_streams;
};

TEST_F(ContractCompoundFiles, EditDestroysTheNamedStreamsAndRewritesThePlannedOne) {
    std::vector<uint8_t> seen;
    const std::vector<uint8_t> shorter = Pattern(120, 9);
    // "9" names no stream: one already gone is no failure.
    ASSERT_EQ(seam::kErrSuccess, Edit(m_strPath, {u"1", u"a", u"9"}, shorter, &seen));
    EXPECT_EQ(m_streams[0].second, seen) << "the plan is made from the stream's current content";

    auto after = Streams(m_strPath);
    ASSERT_EQ(2u, after.size());
    EXPECT_EQ(shorter, after[u"DestList"]);
    EXPECT_EQ(m_streams[2].second, after[u"2"]) << "a stream not named keeps its bytes";

    // Grown past the mini stream's cut-off, and back to a list's bare header.
    const std::vector<uint8_t> longer = Pattern(9000, 5);
    ASSERT_EQ(seam::kErrSuccess, Edit(m_strPath, {}, longer));
    EXPECT_EQ(longer, Streams(m_strPath)[u"DestList"]);
    const std::vector<uint8_t> header = Pattern(32, 6);
    ASSERT_EQ(seam::kErrSuccess, Edit(m_strPath, {u"2"}, header));
    after = Streams(m_strPath);
    ASSERT_EQ(1u, after.size());
    EXPECT_EQ(header, after[u"DestList"]);

    // No content at all is refused, and changes nothing.
    const std::vector<uint8_t> before = Bytes(m_strPath);
    EXPECT_EQ(seam::kErrInvalidData, Edit(m_strPath, {}, {}));
    EXPECT_EQ(before, Bytes(m_strPath));
}

TEST_F(ContractCompoundFiles, AFileThatCannotBeEditedWholeIsNotChanged) {
    const std::vector<uint8_t> before = Bytes(m_strPath);
    bool planned = false;
    const long refused = P().compoundFiles.EditStreams(m_strPath, u"DestList", 1 << 20,
                                                       [&](const std::vector<uint8_t>&, seam::StreamEdit& edit) {
                                                           planned = true;
                                                           edit.destroy = {u"1"};
                                                           return false;
                                                       });
    EXPECT_TRUE(planned);
    EXPECT_EQ(seam::kErrInvalidData, refused);
    EXPECT_EQ(before, Bytes(m_strPath));

    // The planned stream missing, or larger than the caller takes.
    EXPECT_EQ(seam::kErrInvalidData,
              P().compoundFiles.EditStreams(m_strPath, u"Index", 1 << 20,
                                            [](const std::vector<uint8_t>&, seam::StreamEdit&) { return true; }));
    EXPECT_EQ(seam::kErrInvalidData,
              P().compoundFiles.EditStreams(m_strPath, u"DestList", 299,
                                            [](const std::vector<uint8_t>&, seam::StreamEdit&) { return true; }));
    EXPECT_EQ(before, Bytes(m_strPath));

    // Not a compound file at all, and no file.
    const std::u16string text = m_strFolder + u"\\목록.automaticDestinations-ms";
    ASSERT_TRUE(m_cp->MakeFile(text, std::string(4096, 'x')));
    EXPECT_EQ(seam::kErrInvalidData, Edit(text, {u"1"}, {}));
    EXPECT_EQ(std::vector<uint8_t>(4096, 'x'), Bytes(text));
    EXPECT_EQ(seam::FileFate::Gone, seam::FileFateOf(Edit(m_strFolder + u"\\없음.automaticDestinations-ms", {}, {})));
}

// Explorer has the list open, or the user made it read-only: the entries stay.
TEST_F(ContractCompoundFiles, HeldOpenIsInUseAndReadOnlyIsDenied) {
    const std::vector<uint8_t> before = Bytes(m_strPath);
    ASSERT_TRUE(m_cp->HoldOpenElsewhere(m_strPath));
    long r = Edit(m_strPath, {u"1"}, {});
    EXPECT_EQ(seam::FileFate::InUse, seam::FileFateOf(r)) << r;
    EXPECT_EQ(before, Bytes(m_strPath));

    const std::u16string readOnly = m_strFolder + u"\\읽기전용.automaticDestinations-ms";
    ASSERT_TRUE(Make(readOnly, before));
    ASSERT_TRUE(m_cp->MakeReadOnly(readOnly));
    r = Edit(readOnly, {u"1"}, {});
    EXPECT_EQ(seam::FileFate::Denied, seam::FileFateOf(r)) << r;
    EXPECT_EQ(before, Bytes(readOnly));
}

}  // namespace
}  // namespace contract
