// DestList streams: the real Windows 7 list of the shared test data (its
// records must agree with the link streams they index), lists of the later
// versions built here, a pinned copy of the real list whose pinned record
// must survive a removal byte for byte, and streams broken on purpose.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "formats/CompoundFile.h"
#include "formats/DestList.h"
#include "engine/recent/JumpListApps.h"
#include "formats/ShellLink.h"
#include "seam/Text.h"
#include "tests/fakes/SharedTestData.h"
#include "tests/fakes/Utf16Bytes.h"

namespace engine {
namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t Get32(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

std::string FileNameOf(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

class DestListReal : public ::testing::Test {
protected:
    void SetUp() override {
        m_file = fakes::ReadSharedTestFile("files/jumplists/1b4dd67f29cb1962.automaticDestinations-ms");
        ASSERT_FALSE(m_file.empty()) << "shared test data not found";
        ASSERT_TRUE(m_cf.Open(m_file.data(), m_file.size()));
        ASSERT_TRUE(m_cf.ReadStream(u"DestList", m_destList));
        ASSERT_TRUE(ParseDestList(m_destList.data(), m_destList.size(), m_list));
    }
    Bytes m_file;
    CompoundFile m_cf;
    Bytes m_destList;
    DestList m_list;
};

TEST_F(DestListReal, SevenUnpinnedEntriesEachNamingItsLinkStream) {
    // As the test data's notes describe the file: version 1, 7 entries, no pin.
    EXPECT_EQ(1u, m_list.version);
    EXPECT_EQ(0u, m_list.pinnedCount);
    ASSERT_EQ(7u, m_list.entries.size());
    std::set<std::u16string> streams(m_cf.StreamNames().begin(), m_cf.StreamNames().end());
    size_t end = 32;
    for (const DestListEntry& entry : m_list.entries) {
        SCOPED_TRACE(entry.number);
        EXPECT_FALSE(entry.pinned);
        EXPECT_EQ(-1, entry.pinOrder);
        // The records follow each other from the header to the stream's end.
        EXPECT_EQ(end, entry.offset);
        end = entry.offset + entry.length;
        // The record and the link stream it names, read independently, name
        // the same file (a library by its class id path in the record).
        ASSERT_EQ(1u, streams.count(entry.streamName));
        Bytes stream;
        ASSERT_TRUE(m_cf.ReadStream(entry.streamName, stream));
        ShellLinkTarget link;
        ASSERT_TRUE(ReadShellLink(stream.data(), stream.size(), link));
        if (entry.path.rfind("::", 0) == 0) {
            EXPECT_EQ(FileNameOf(entry.path), FileNameOf(link.path));
        } else {
            EXPECT_EQ(entry.path, link.path);
        }
    }
    EXPECT_EQ(m_destList.size(), end);
    EXPECT_EQ(u"7", m_list.entries[0].streamName);
    EXPECT_EQ("C:\\Users\\bperry\\Documents\\Poultry Studies", m_list.entries[1].path);
}

TEST_F(DestListReal, DroppingEntriesKeepsEveryOtherRecordAndRecounts) {
    Bytes out;
    ASSERT_TRUE(DropDestListEntries(m_destList, {5, 2}, out));
    DestList after;
    ASSERT_TRUE(ParseDestList(out.data(), out.size(), after));
    ASSERT_EQ(5u, after.entries.size());
    EXPECT_EQ(5u, Get32(out, 4));
    // The rest of the header is untouched.
    EXPECT_TRUE(std::equal(m_destList.begin() + 8, m_destList.begin() + 32, out.begin() + 8));
    std::vector<uint32_t> kept;
    for (const DestListEntry& entry : after.entries) {
        kept.push_back(entry.number);
        for (const DestListEntry& before : m_list.entries) {
            if (before.number != entry.number) continue;
            EXPECT_TRUE(std::equal(m_destList.begin() + before.offset, m_destList.begin() + before.offset + before.length,
                                   out.begin() + entry.offset, out.begin() + entry.offset + entry.length));
        }
    }
    EXPECT_EQ((std::vector<uint32_t>{7, 1, 6, 4, 3}), kept);
    EXPECT_EQ(m_destList.size() - m_list.entries[1].length - m_list.entries[2].length, out.size());

    // Dropping all of them leaves the header alone, counting none.
    Bytes none;
    ASSERT_TRUE(DropDestListEntries(m_destList, {1, 2, 3, 4, 5, 6, 7}, none));
    EXPECT_EQ(32u, none.size());
    EXPECT_EQ(0u, Get32(none, 4));
    // Dropping nothing changes nothing.
    ASSERT_TRUE(DropDestListEntries(m_destList, {}, out));
    EXPECT_EQ(m_destList, out);
}

TEST_F(DestListReal, APinnedEntrySurvivesByteForByteAndCannotBeDropped) {
    // The real list with entry 6 pinned first, as Windows marks a pin.
    Bytes pinned = m_destList;
    const DestListEntry& six = m_list.entries[4];
    ASSERT_EQ(6u, six.number);
    Put32(pinned, six.offset + 108, 0);
    Put32(pinned, 8, 1);
    DestList list;
    ASSERT_TRUE(ParseDestList(pinned.data(), pinned.size(), list));
    EXPECT_EQ(1u, list.pinnedCount);
    EXPECT_TRUE(list.entries[4].pinned);
    EXPECT_EQ(0, list.entries[4].pinOrder);

    std::set<uint32_t> unpinned;
    for (const DestListEntry& entry : list.entries) {
        if (!entry.pinned) unpinned.insert(entry.number);
    }
    Bytes out;
    ASSERT_TRUE(DropDestListEntries(pinned, unpinned, out));
    ASSERT_EQ(32 + six.length, out.size());
    EXPECT_EQ(1u, Get32(out, 4));
    EXPECT_EQ(1u, Get32(out, 8));
    EXPECT_TRUE(std::equal(pinned.begin() + six.offset, pinned.begin() + six.offset + six.length, out.begin() + 32));

    // Asking for the pinned one, alone or among others, is refused whole.
    EXPECT_FALSE(DropDestListEntries(pinned, {6}, out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(DropDestListEntries(pinned, {7, 6}, out));
    EXPECT_TRUE(out.empty());
    // So is an entry the list does not hold.
    EXPECT_FALSE(DropDestListEntries(pinned, {7, 99}, out));
}

// A record of version 2 and later: 128 bytes of fields, the path, 4 more.
Bytes RecordV3(uint32_t number, int32_t pin, const std::u16string& path) {
    Bytes record(130, 0);
    Put32(record, 88, number);
    Put32(record, 108, static_cast<uint32_t>(pin));
    record[128] = static_cast<uint8_t>(path.size());
    record[129] = static_cast<uint8_t>(path.size() >> 8);
    Bytes text = fakes::Utf16Bytes(path);
    text.resize(text.size() - 2);  // no terminator in a record
    record.insert(record.end(), text.begin(), text.end());
    record.insert(record.end(), {0xaa, 0xbb, 0xcc, 0xdd});
    return record;
}

Bytes ListOf(uint32_t version, const std::vector<Bytes>& records, uint32_t pinned = 0) {
    Bytes list(32, 0);
    Put32(list, 0, version);
    Put32(list, 4, static_cast<uint32_t>(records.size()));
    Put32(list, 8, pinned);
    for (const Bytes& r : records) list.insert(list.end(), r.begin(), r.end());
    return list;
}

TEST(DestListVersions, LaterVersionsHaveLongerRecords) {
    for (uint32_t version : {2u, 3u, 4u}) {
        SCOPED_TRACE(version);
        const Bytes data = ListOf(version, {RecordV3(0x1a, -1, u"C:\\문서\\계획.hwp"), RecordV3(3, 2, u"D:\\a.txt")}, 1);
        DestList list;
        ASSERT_TRUE(ParseDestList(data.data(), data.size(), list));
        ASSERT_EQ(2u, list.entries.size());
        EXPECT_EQ(u"1a", list.entries[0].streamName);
        EXPECT_EQ(seam::Cp949FromUtf8("C:\\문서\\계획.hwp"), list.entries[0].path);
        EXPECT_EQ(130u + 2 * 12 + 4, list.entries[0].length);
        EXPECT_FALSE(list.entries[0].pinned);
        EXPECT_TRUE(list.entries[1].pinned);
        EXPECT_EQ(2, list.entries[1].pinOrder);
        EXPECT_EQ("D:\\a.txt", list.entries[1].path);
        EXPECT_EQ(data.size(), list.entries[1].offset + list.entries[1].length);

        Bytes out;
        ASSERT_TRUE(DropDestListEntries(data, {0x1a}, out));
        EXPECT_EQ(ListOf(version, {RecordV3(3, 2, u"D:\\a.txt")}, 1), out);
    }
}

TEST(DestListBounds, BrokenStreamsAreRefused) {
    const Bytes good = ListOf(3, {RecordV3(1, -1, u"C:\\a.txt"), RecordV3(2, -1, u"C:\\b.txt")});
    DestList list;
    ASSERT_TRUE(ParseDestList(good.data(), good.size(), list));
    // A count of 2^31 with two records: refused at the data's end.
    Bytes count = good;
    Put32(count, 4, 0x80000000);
    EXPECT_FALSE(ParseDestList(count.data(), count.size(), list));
    // A path length running past the data; every cut of the stream.
    Bytes length = good;
    length[32 + 128] = 0xff;
    length[32 + 129] = 0xff;
    EXPECT_FALSE(ParseDestList(length.data(), length.size(), list));
    for (size_t cut = 1; cut < good.size(); ++cut) {
        EXPECT_FALSE(ParseDestList(good.data(), cut, list)) << cut;
    }
    // Unknown versions; one entry number twice.
    for (uint32_t version : {0u, 5u, 0xffffffffu}) {
        Bytes v = good;
        Put32(v, 0, version);
        EXPECT_FALSE(ParseDestList(v.data(), v.size(), list)) << version;
    }
    const Bytes twice = ListOf(3, {RecordV3(1, -1, u"a"), RecordV3(1, -1, u"b")});
    EXPECT_FALSE(ParseDestList(twice.data(), twice.size(), list));
    Bytes out = {1};
    EXPECT_FALSE(DropDestListEntries(twice, {1}, out));
    EXPECT_TRUE(out.empty());
    // An empty stream is an empty list (Windows leaves one in an emptied file).
    ASSERT_TRUE(ParseDestList(nullptr, 0, list));
    EXPECT_TRUE(list.entries.empty());
    // Bytes after the counted records are kept by a removal.
    Bytes tail = good;
    tail.insert(tail.end(), {1, 2, 3});
    ASSERT_TRUE(DropDestListEntries(tail, {1}, out));
    EXPECT_EQ((Bytes{1, 2, 3}), Bytes(out.end() - 3, out.end()));
}

TEST(JumpListApps, KnownIdsNameTheirProgram) {
    EXPECT_EQ("Notepad", JumpListProgram("9b9cdc69c1c24e2b.automaticDestinations-ms"));
    EXPECT_EQ("Windows Explorer", JumpListProgram("C:\\Users\\u\\Recent\\AutomaticDestinations\\1b4dd67f29cb1962.automaticDestinations-ms"));
    // Windows writes an id without its leading zero; the list may have it.
    EXPECT_EQ("Paint", JumpListProgram("12dc1ea8e34b5a6.automaticDestinations-ms"));
    EXPECT_EQ("Paint", JumpListProgram("012dc1ea8e34b5a6.automaticDestinations-ms"));
    EXPECT_EQ("Windows Media Player", JumpListProgram("74D7F43C1561FC1E.automaticDestinations-ms"));
    // Unknown ids, names that are not ids.
    EXPECT_EQ("", JumpListProgram("5afe4de1b92fc382.customDestinations-ms"));
    EXPECT_EQ("", JumpListProgram("desktop.ini"));
    EXPECT_EQ("", JumpListProgram(".automaticDestinations-ms"));
    EXPECT_EQ("", JumpListProgram("19b9cdc69c1c24e2b.automaticDestinations-ms"));
    EXPECT_EQ("", JumpListProgram(""));
}

}  // namespace
}  // namespace engine
