// Automatic jump lists in the fake profile: the real Windows 7 list of the
// shared test data, pinned copies of it, and later-version lists built here.
// Each unpinned entry is a row; cleaning removes exactly the entries left
// ticked, in one edit per file, and every pinned entry survives byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "formats/CompoundFile.h"
#include "formats/DestList.h"
#include "engine/kinds/TraceChoice.h"
#include "seam/Text.h"
#include "tests/fakes/CompoundFileWriter.h"
#include "tests/fakes/EngineFixture.h"
#include "tests/fakes/SharedTestData.h"
#include "tests/fakes/Utf16Bytes.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Streams = std::map<std::u16string, Bytes>;

const char16_t kLists[] = u"C:\\Users\\김하늘\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\AutomaticDestinations";
const char16_t kExplorerList[] = u"1b4dd67f29cb1962.automaticDestinations-ms";
constexpr size_t kPinField = 108;
constexpr size_t kPinnedCountField = 8;

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

Streams Read(const Bytes& file) {
    engine::CompoundFile cf;
    Streams out;
    EXPECT_TRUE(cf.Open(file.data(), file.size()));
    for (const auto& name : cf.StreamNames()) EXPECT_TRUE(cf.ReadStream(name, out[name]));
    return out;
}

std::vector<fakes::CompoundStream> AsList(const Streams& streams) {
    return std::vector<fakes::CompoundStream>(streams.begin(), streams.end());
}

engine::DestList Parse(const Bytes& destList) {
    engine::DestList list;
    EXPECT_TRUE(engine::ParseDestList(destList.data(), destList.size(), list));
    return list;
}

// The record of a later-version list: 128 bytes of fields, the path, 4 more.
Bytes RecordV3(uint32_t number, int32_t pin, const std::u16string& path) {
    Bytes record(130, 0);
    Put32(record, 88, number);
    Put32(record, kPinField, static_cast<uint32_t>(pin));
    record[128] = static_cast<uint8_t>(path.size());
    Bytes text = fakes::Utf16Bytes(path);
    text.resize(text.size() - 2);
    record.insert(record.end(), text.begin(), text.end());
    record.insert(record.end(), {1, 2, 3, 4});
    return record;
}

class JumpLists : public fakes::EngineFixture {
protected:
    void SetUp() override {
        const Bytes file = fakes::ReadSharedTestFile("files/jumplists/" + seam::Utf8FromUtf16(kExplorerList));
        ASSERT_FALSE(file.empty()) << "shared test data not found";
        m_real = Read(file);
        ASSERT_EQ(1u, m_real.count(u"DestList"));
        m_list = Parse(m_real[u"DestList"]);
        ASSERT_EQ(7u, m_list.entries.size());
        m_state.m_bAnalysed.store(true);
    }

    std::u16string PathOf(const std::u16string& name) { return std::u16string(kLists) + u"\\" + name; }
    void Put(const std::u16string& name, const Streams& streams) {
        const Bytes bytes = fakes::WriteCompoundFile(AsList(streams));
        ASSERT_FALSE(bytes.empty());
        ASSERT_TRUE(m_fake.files.WriteFile(PathOf(name), std::string(bytes.begin(), bytes.end())));
    }
    Streams Now(const std::u16string& name) {
        std::string bytes;
        EXPECT_TRUE(m_fake.files.ReadAll(PathOf(name), bytes));
        return Read(Bytes(bytes.begin(), bytes.end()));
    }
    // The real list with entry `number` pinned at place `order`.
    Streams Pinned(std::initializer_list<uint32_t> numbers) {
        Streams copy = m_real;
        Bytes& destList = copy[u"DestList"];
        int32_t order = 0;
        for (const auto& entry : m_list.entries) {
            if (std::find(numbers.begin(), numbers.end(), entry.number) == numbers.end()) continue;
            Put32(destList, entry.offset + kPinField, static_cast<uint32_t>(order++));
        }
        Put32(destList, kPinnedCountField, static_cast<uint32_t>(order));
        return copy;
    }
    std::set<uint32_t> ListedEntries() {
        std::set<uint32_t> out;
        for (const auto& row : Rows()) {
            if (row.target.kind == seam::TargetKind::JumpListEntry) out.insert(static_cast<uint32_t>(row.target.id));
        }
        return out;
    }
    std::set<uint32_t> Entries(const Streams& streams) {
        std::set<uint32_t> out;
        for (const auto& entry : Parse(streams.at(u"DestList")).entries) out.insert(entry.number);
        return out;
    }
    const engine::DestListEntry& Entry(uint32_t number) {
        return *std::find_if(m_list.entries.begin(), m_list.entries.end(),
                             [&](const engine::DestListEntry& e) { return e.number == number; });
    }

    Streams m_real;
    engine::DestList m_list;
};

TEST_F(JumpLists, EachEntryOfTheRealListIsARowNamedByItsTarget) {
    Put(kExplorerList, m_real);
    m_categories.Scan(seam::kRecent);
    ASSERT_EQ(7, m_view.List().Count());
    EXPECT_EQ(7, m_state.Count(seam::kRecent));
    EXPECT_EQ((std::set<uint32_t>{1, 2, 3, 4, 5, 6, 7}), ListedEntries());

    for (const auto& row : Rows()) {
        SCOPED_TRACE(row.target.id);
        EXPECT_EQ("RECENT", row.Code());
        EXPECT_EQ("Windows Explorer", row.text[seam::kColRead]);
        EXPECT_EQ(seam::Cp949FromUtf16(kLists), row.text[seam::kColRegKey]);
        EXPECT_EQ(PathOf(kExplorerList), row.target.path);
        const engine::DestListEntry& entry = Entry(static_cast<uint32_t>(row.target.id));
        EXPECT_EQ(seam::Utf8FromUtf16(kExplorerList) + "\\" + seam::Utf8FromUtf16(entry.streamName),
                  row.text[seam::kColValue]);
        EXPECT_EQ(seam::Cp949FromUtf16(entry.streamName), row.target.name);
        // NAME is the target's file name; DATA its whole path.
        const std::string& data = row.text[seam::kColData];
        ASSERT_FALSE(data.empty());
        EXPECT_EQ(data.substr(data.find_last_of('\\') + 1), row.Name());
    }
    // Where link and record differ, the link names the target.
    const auto rows = Rows();
    const auto studies = std::find_if(rows.begin(), rows.end(), [](const seam::TraceItem& r) {
        return r.text[seam::kColData] == "C:\\Users\\bperry\\Documents\\Poultry Studies";
    });
    ASSERT_NE(rows.end(), studies);
    EXPECT_EQ("Poultry Studies", studies->Name());
}

// The entries the user leaves ticked go, with their streams, in one edit;
// the pinned ones and those left out stay as they were, byte for byte.
TEST_F(JumpLists, CleaningTakesTheTickedEntriesAndKeepsEveryPin) {
    const Streams pinned = Pinned({6, 3});
    Put(kExplorerList, pinned);
    m_categories.Scan(seam::kRecent);
    ASSERT_EQ((std::set<uint32_t>{1, 2, 4, 5, 7}), ListedEntries());
    EXPECT_EQ(5, m_state.Count(seam::kRecent));

    std::vector<seam::TraceItem> leftOut;
    for (const auto& row : Rows()) {
        if (row.target.id == 4) leftOut.push_back(row);
    }
    ASSERT_EQ(4, engine::LeaveOut(m_state, m_view, leftOut));
    Pass();
    EXPECT_EQ(0, m_view.List().Count());
    EXPECT_EQ(0, m_state.Count(seam::kRecent));
    EXPECT_EQ(1, m_fake.compoundFiles.EditCount()) << "one commit for the whole file";

    const Streams after = Now(kExplorerList);
    EXPECT_EQ((std::set<uint32_t>{3, 4, 6}), Entries(after));
    std::set<std::u16string> names;
    for (const auto& s : after) names.insert(s.first);
    EXPECT_EQ((std::set<std::u16string>{u"DestList", u"3", u"4", u"6"}), names);
    for (uint32_t kept : {3u, 4u, 6u}) {
        const auto& entry = Entry(kept);
        EXPECT_EQ(pinned.at(entry.streamName), after.at(entry.streamName)) << kept;
        // Its record, moved up, holds the same bytes.
        const Bytes& now = after.at(u"DestList");
        const auto where = std::search(now.begin(), now.end(), pinned.at(u"DestList").begin() + entry.offset,
                                       pinned.at(u"DestList").begin() + entry.offset + entry.length);
        EXPECT_NE(now.end(), where) << kept;
    }
    EXPECT_EQ(2u, Parse(after.at(u"DestList")).pinnedCount);
}

TEST_F(JumpLists, AListLeftWithNoEntryIsDeleted) {
    Put(kExplorerList, m_real);
    m_categories.Scan(seam::kRecent);
    Pass();
    EXPECT_EQ(0, m_view.List().Count());
    EXPECT_FALSE(m_fake.files.Exists(PathOf(kExplorerList)));
}

// Explorer holds its list open, or the user made it read-only: every row of
// it stays, counted, and the file keeps every byte.
TEST_F(JumpLists, AHeldOrReadOnlyListKeepsItsRowsAndBytes) {
    const std::u16string readOnly = u"f01b4d95cf55d32a.automaticDestinations-ms";
    Put(kExplorerList, m_real);
    Put(readOnly, m_real);
    m_categories.Scan(seam::kRecent);
    ASSERT_EQ(14, m_view.List().Count());
    std::string heldBefore, readOnlyBefore;
    ASSERT_TRUE(m_fake.files.ReadAll(PathOf(kExplorerList), heldBefore));
    ASSERT_TRUE(m_fake.files.ReadAll(PathOf(readOnly), readOnlyBefore));
    m_fake.files.HoldOpen(PathOf(kExplorerList));
    m_fake.files.SetAttributes(PathOf(readOnly), seam::kAttrReadOnly);

    Pass();
    EXPECT_EQ(14, m_view.List().Count());
    EXPECT_EQ(14, m_state.Count(seam::kRecent));
    EXPECT_NE(m_state.StatusText().find("14"), std::string::npos) << m_state.StatusText();
    std::string after;
    ASSERT_TRUE(m_fake.files.ReadAll(PathOf(kExplorerList), after));
    EXPECT_EQ(heldBefore, after);
    ASSERT_TRUE(m_fake.files.ReadAll(PathOf(readOnly), after));
    EXPECT_EQ(readOnlyBefore, after);
    ASSERT_EQ(14u, m_engine.Stayed().size());
    for (const auto& stayed : m_engine.Stayed()) {
        const bool held = stayed.row.target.path == PathOf(kExplorerList);
        EXPECT_EQ(held ? engine::RowFate::InUse : engine::RowFate::Denied, stayed.why);
    }
    m_fake.files.Release(PathOf(kExplorerList));
}

// A list whose pins cannot be read is neither listed nor touched: a header
// that counts other pins than its records hold, a broken DestList, no
// DestList, no compound file.
TEST_F(JumpLists, AListWhosePinsCannotBeReadIsLeftAlone) {
    Streams miscounted = m_real;
    Put32(miscounted[u"DestList"], kPinnedCountField, 1);
    Streams broken = m_real;
    broken[u"DestList"].resize(40);
    Streams none = m_real;
    none.erase(u"DestList");
    Put(u"a1.automaticDestinations-ms", miscounted);
    Put(u"a2.automaticDestinations-ms", broken);
    Put(u"a3.automaticDestinations-ms", none);
    ASSERT_TRUE(m_fake.files.WriteFile(PathOf(u"a4.automaticDestinations-ms"), std::string(2048, '\0')));
    m_categories.Scan(seam::kRecent);
    EXPECT_EQ(0, m_view.List().Count());
    EXPECT_EQ(0, m_state.Count(seam::kRecent));
    EXPECT_EQ(0, m_fake.compoundFiles.EditCount());
}

// The list changed between analysis and cleaning: an entry pinned since
// stays, one already gone counts as cleaned, the rest go.
TEST_F(JumpLists, AListChangedSinceTheAnalysisKeepsWhatIsPinnedNow) {
    Put(kExplorerList, m_real);
    m_categories.Scan(seam::kRecent);
    ASSERT_EQ(7, m_view.List().Count());
    Streams changed = Pinned({5});
    {
        Bytes out;
        ASSERT_TRUE(engine::DropDestListEntries(changed[u"DestList"], {2}, out));
        changed[u"DestList"] = out;
        changed.erase(Entry(2).streamName);
    }
    Put(kExplorerList, changed);

    Pass();
    ASSERT_EQ(1, m_view.List().Count());
    EXPECT_EQ(5, Rows()[0].target.id);
    EXPECT_EQ(1, m_state.Count(seam::kRecent));
    const Streams after = Now(kExplorerList);
    EXPECT_EQ((std::set<uint32_t>{5}), Entries(after));
    EXPECT_EQ(changed.at(Entry(5).streamName), after.at(Entry(5).streamName));
}

// The list rebuilt since the analysis gave an entry's number to another
// file: that entry was never listed, and stays.
TEST_F(JumpLists, ANumberGivenToAnotherFileSinceTheAnalysisKeepsItsEntry) {
    Put(kExplorerList, m_real);
    m_categories.Scan(seam::kRecent);
    ASSERT_EQ(7, m_view.List().Count());
    Streams rebuilt = m_real;
    constexpr size_t kPathText = 114;  // version 1: the path's characters follow its length
    Bytes& destList = rebuilt[u"DestList"];
    destList[Entry(3).offset + kPathText] = static_cast<uint8_t>(destList[Entry(3).offset + kPathText] ^ 1);
    ASSERT_NE(Entry(3).path, Parse(destList).entries[&Entry(3) - m_list.entries.data()].path);
    Put(kExplorerList, rebuilt);

    Pass();
    EXPECT_EQ(0, m_view.List().Count()) << "the listed entry is gone all the same";
    const Streams after = Now(kExplorerList);
    EXPECT_EQ((std::set<uint32_t>{3}), Entries(after));
    EXPECT_EQ(rebuilt.at(Entry(3).streamName), after.at(Entry(3).streamName));
}

// Windows 10 and 11 write DestList version 3 and 4: longer records, the
// same rules. An entry whose link cannot be read is named by its record.
TEST_F(JumpLists, LaterVersionsListAndCleanTheSameWay) {
    const Bytes nero = fakes::ReadSharedTestFile("files/lnk/NeroInfoTool.lnk");
    ASSERT_FALSE(nero.empty());
    for (uint32_t version : {3u, 4u}) {
        SCOPED_TRACE(version);
        m_state.m_bAnalysed.store(true);  // as the analysis pass raises it
        Bytes destList(32, 0);
        Put32(destList, 0, version);
        Put32(destList, 4, 3);
        Put32(destList, kPinnedCountField, 1);
        for (const Bytes& record : {RecordV3(0x1a, -1, u"C:\\문서\\계획.hwp"), RecordV3(3, 0, u"D:\\핀.txt"),
                                    RecordV3(0x20, -1, u"D:\\음악\\노래.mp3")}) {
            destList.insert(destList.end(), record.begin(), record.end());
        }
        const Streams streams = {{u"DestList", destList}, {u"1a", Bytes(80, 7)}, {u"3", nero}, {u"20", nero}};
        const std::u16string name = u"9b9cdc69c1c24e2b.automaticDestinations-ms";
        Put(name, streams);
        m_categories.Scan(seam::kRecent);
        ASSERT_EQ(2, m_view.List().Count());
        for (const auto& row : Rows()) {
            EXPECT_EQ("Notepad", row.text[seam::kColRead]);
            if (row.target.id == 0x1a) {
                EXPECT_EQ(seam::Cp949FromUtf8("계획.hwp"), row.Name());
            } else {
                EXPECT_EQ(0x20, row.target.id);
                EXPECT_EQ("InfoTool.exe", row.Name());
            }
        }
        Pass();
        EXPECT_EQ(0, m_view.List().Count());
        const Streams after = Now(name);
        EXPECT_EQ((std::set<uint32_t>{3}), Entries(after));
        EXPECT_EQ(nero, after.at(u"3"));
        EXPECT_EQ(2u, after.size());
        ASSERT_EQ(seam::kErrSuccess, m_fake.files.DeleteFile(PathOf(name)));
    }
}

}  // namespace
