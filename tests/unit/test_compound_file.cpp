// The compound file reader on the real Windows 7 jump list of the shared
// test data, then on copies of it broken the ways a hostile file would be:
// counts in the billions, chains that loop, sectors past the end, cuts.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "formats/CompoundFile.h"
#include "formats/ShellLink.h"
#include "tests/fakes/SharedTestData.h"

namespace engine {
namespace {

using Bytes = std::vector<uint8_t>;

const char kJumpList[] = "files/jumplists/1b4dd67f29cb1962.automaticDestinations-ms";

uint32_t Get32(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Where things lie in a version 3 file (512-byte sectors).
size_t SectorAt(uint32_t sector) { return (static_cast<size_t>(sector) + 1) * 512; }
size_t FatEntryAt(const Bytes& file, uint32_t sector) {
    // The real file's table fits in its first table sector.
    return SectorAt(Get32(file, 0x4c)) + 4 * sector;
}
// The directory entry named `name` (ASCII), found by its UTF-16 name at the
// start of a 128-byte entry.
size_t EntryAt(const Bytes& file, const std::string& name) {
    for (size_t at = 512; at + 128 <= file.size(); at += 128) {
        bool same = file[at + 64] == 2 * (name.size() + 1);
        for (size_t i = 0; same && i < name.size(); ++i) same = file[at + 2 * i] == name[i] && file[at + 2 * i + 1] == 0;
        if (same) return at;
    }
    ADD_FAILURE() << "no entry " << name;
    return 0;
}

std::string Ascii(const std::u16string& s) { return std::string(s.begin(), s.end()); }

std::map<std::string, Bytes> AllStreams(const Bytes& file, bool* opened = nullptr) {
    std::map<std::string, Bytes> streams;
    CompoundFile cf;
    const bool ok = cf.Open(file.data(), file.size());
    if (opened) *opened = ok;
    if (!ok) return streams;
    for (const std::u16string& name : cf.StreamNames()) {
        Bytes content;
        if (cf.ReadStream(name, content)) streams[Ascii(name)] = content;
    }
    return streams;
}

class CompoundFileReal : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = fakes::ReadSharedTestFile(kJumpList);
        ASSERT_FALSE(m_file.empty()) << "shared test data not found";
        bool opened = false;
        m_streams = AllStreams(m_file, &opened);
        ASSERT_TRUE(opened);
    }
    Bytes m_file;
    std::map<std::string, Bytes> m_streams;
};

TEST_F(CompoundFileReal, ListsTheDestListAndSevenLinkStreams) {
    std::set<std::string> names;
    for (const auto& stream : m_streams) names.insert(stream.first);
    EXPECT_EQ((std::set<std::string>{"1", "2", "3", "4", "5", "6", "7", "DestList"}), names);
    // Each numbered stream, small ones from the mini stream and the large
    // one (6, over 4096 bytes) from whole sectors, is one shell link that
    // ends exactly where the stream does.
    EXPECT_GE(m_streams["6"].size(), 4096u);
    for (const auto& stream : m_streams) {
        if (stream.first == "DestList") continue;
        SCOPED_TRACE(stream.first);
        ShellLinkTarget link;
        ASSERT_TRUE(ReadShellLink(stream.second.data(), stream.second.size(), link));
        EXPECT_TRUE(link.complete);
        EXPECT_EQ(stream.second.size(), link.size);
        EXPECT_FALSE(link.path.empty());
    }
}

TEST_F(CompoundFileReal, NamesCompareIgnoringAsciiCase) {
    CompoundFile cf;
    ASSERT_TRUE(cf.Open(m_file.data(), m_file.size()));
    Bytes upper;
    Bytes lower;
    EXPECT_TRUE(cf.ReadStream(u"DESTLIST", upper));
    EXPECT_TRUE(cf.ReadStream(u"destlist", lower));
    EXPECT_EQ(m_streams["DestList"], upper);
    EXPECT_EQ(upper, lower);
    EXPECT_FALSE(cf.ReadStream(u"8", lower));
    EXPECT_TRUE(lower.empty());
    EXPECT_FALSE(cf.ReadStream(u"Root Entry", lower));
}

TEST_F(CompoundFileReal, HugeCountsAreRefusedWithoutTheWork) {
    Bytes fat = m_file;
    Put32(fat, 0x2c, 0x80000000);  // 2^31 table sectors
    EXPECT_FALSE(CompoundFile().Open(fat.data(), fat.size()));

    // A stream claiming 2^31 bytes, in the mini stream or in whole sectors,
    // is unreadable; the others still read.
    Bytes sizes = m_file;
    Put32(sizes, EntryAt(sizes, "DestList") + 120, 0x80000000);
    Put32(sizes, EntryAt(sizes, "6") + 120, 0xffffffff);
    const auto streams = AllStreams(sizes);
    EXPECT_EQ(0u, streams.count("DestList"));
    EXPECT_EQ(0u, streams.count("6"));
    EXPECT_EQ(m_streams.at("1"), streams.at("1"));
}

TEST_F(CompoundFileReal, ChainsThatLoopOrLeaveTheFileEnd) {
    // The directory's chain pointing back at itself never ends: no file.
    Bytes dir = m_file;
    const uint32_t dirStart = Get32(dir, 0x30);
    Put32(dir, FatEntryAt(dir, dirStart), dirStart);
    EXPECT_FALSE(CompoundFile().Open(dir.data(), dir.size()));

    // A large stream whose chain loops, or starts past the last sector.
    Bytes loop = m_file;
    const uint32_t start6 = Get32(loop, EntryAt(loop, "6") + 116);
    Put32(loop, FatEntryAt(loop, start6), start6);
    EXPECT_EQ(0u, AllStreams(loop).count("6"));
    Bytes past = m_file;
    Put32(past, EntryAt(past, "6") + 116, 0x7ffffff0);
    EXPECT_EQ(0u, AllStreams(past).count("6"));

    // A small stream whose mini chain loops.
    Bytes mini = m_file;
    const uint32_t miniStart = Get32(mini, EntryAt(mini, "DestList") + 116);
    Put32(mini, SectorAt(Get32(mini, 0x3c)) + 4 * miniStart, miniStart);
    const auto streams = AllStreams(mini);
    EXPECT_EQ(0u, streams.count("DestList"));
    EXPECT_EQ(m_streams.at("6"), streams.at("6"));

    // A table sector past the end.
    Bytes table = m_file;
    Put32(table, 0x4c, 0x00ffffff);
    EXPECT_FALSE(CompoundFile().Open(table.data(), table.size()));
}

TEST_F(CompoundFileReal, ADirectoryTreeThatLoopsListsEachNameOnce) {
    // Every sibling link pointed at the root's first child: the walk visits
    // each entry once and ends.
    Bytes tree = m_file;
    const uint32_t firstChild = Get32(tree, EntryAt(tree, "Root Entry") + 76);
    for (const char* name : {"1", "2", "3", "4", "5", "6", "7", "DestList"}) {
        const size_t at = EntryAt(tree, name);
        Put32(tree, at + 68, firstChild);
        Put32(tree, at + 72, firstChild);
    }
    CompoundFile cf;
    ASSERT_TRUE(cf.Open(tree.data(), tree.size()));
    EXPECT_EQ(1u, cf.StreamNames().size());
}

TEST_F(CompoundFileReal, ACutFileReadsOnlyWhatIsThere) {
    // Whatever a cut copy still reads is exactly what the whole file holds.
    for (size_t cut = 0; cut < m_file.size(); cut += 61) {
        SCOPED_TRACE(cut);
        const Bytes part(m_file.begin(), m_file.begin() + static_cast<long>(cut));
        for (const auto& stream : AllStreams(part)) EXPECT_EQ(m_streams.at(stream.first), stream.second);
    }
}

TEST(CompoundFileHeader, OnlyTheTwoKnownVersionsOpen) {
    const Bytes real = fakes::ReadSharedTestFile(kJumpList);
    ASSERT_FALSE(real.empty()) << "shared test data not found";
    Bytes signature = real;
    signature[7] = 0;
    EXPECT_FALSE(CompoundFile().Open(signature.data(), signature.size()));
    Bytes version = real;
    version[0x1a] = 4;  // version 4 with 512-byte sectors
    EXPECT_FALSE(CompoundFile().Open(version.data(), version.size()));
    Bytes shift = real;
    shift[0x1e] = 30;
    EXPECT_FALSE(CompoundFile().Open(shift.data(), shift.size()));
    EXPECT_FALSE(CompoundFile().Open(real.data(), 511));
    EXPECT_FALSE(CompoundFile().Open(real.data(), 0));
}

}  // namespace
}  // namespace engine
