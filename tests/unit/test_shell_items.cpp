// The file dialogs' shell item lists and the UTF-16 names of Explorer's
// lists, parsed from bytes: real values from a Windows 11 hive first, then
// each version of the file entry's extension block and broken lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/ShellItems.h"
#include "formats/Utf16Text.h"
#include "seam/Text.h"
#include "tests/fakes/Utf16Bytes.h"

namespace engine {
namespace {

using Bytes = std::vector<uint8_t>;

// OpenSavePidlMRU\*, values "0" and "1", as a Windows 11 user's hive holds them.
const Bytes kHiveLongAndShort = {
    0x6a, 0x00, 0x32, 0x00, 0x00, 0x20, 0x00, 0x00, 0x7a, 0x59, 0xf8, 0xb9, 0x20, 0x00, 0x4e, 0x54, 0x55, 0x53,
    0x45, 0x52, 0x7e, 0x31, 0x2e, 0x44, 0x41, 0x54, 0x00, 0x00, 0x4e, 0x00, 0x09, 0x00, 0x04, 0x00, 0xef, 0xbe,
    0x7a, 0x59, 0xf8, 0xb9, 0x7a, 0x59, 0xf8, 0xb9, 0x2e, 0x00, 0x00, 0x00, 0x87, 0x68, 0x03, 0x00, 0x00, 0x00,
    0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xa9, 0xe6,
    0xb1, 0x00, 0x4e, 0x00, 0x54, 0x00, 0x55, 0x00, 0x53, 0x00, 0x45, 0x00, 0x52, 0x00, 0x2d, 0x00, 0x57, 0x00,
    0x53, 0x00, 0x4c, 0x00, 0x2e, 0x00, 0x44, 0x00, 0x41, 0x00, 0x54, 0x00, 0x00, 0x00, 0x1c, 0x00, 0x00, 0x00};
const Bytes kHiveSameNames = {
    0x60, 0x00, 0x32, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x4e, 0x54, 0x55, 0x53,
    0x45, 0x52, 0x2e, 0x44, 0x41, 0x54, 0x00, 0x00, 0x46, 0x00, 0x09, 0x00, 0x04, 0x00, 0xef, 0xbe, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2e, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x4e, 0x00, 0x54, 0x00, 0x55, 0x00, 0x53, 0x00, 0x45, 0x00, 0x52, 0x00, 0x2e, 0x00, 0x44, 0x00, 0x41, 0x00,
    0x54, 0x00, 0x00, 0x00, 0x1a, 0x00, 0x00, 0x00};

void Put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}


// A file entry item with `shortName` and, when `version` is not 0, a
// 0xBEEF0004 block of that version holding `longName`.
Bytes FileEntry(const std::string& shortName, const std::u16string& longName, uint16_t version) {
    Bytes item(14, 0);
    item[2] = 0x32;
    for (char c : shortName) item.push_back(static_cast<uint8_t>(c));
    item.push_back(0);
    if (item.size() % 2) item.push_back(0);
    if (version != 0) {
        const size_t block = item.size();
        size_t nameOffset = version >= 9 ? 46 : version == 8 ? 42 : version == 7 ? 38 : 20;
        Bytes ext(nameOffset, 0);
        Put16(ext, 2, version);
        ext[4] = 0x04;
        ext[5] = 0x00;
        ext[6] = 0xef;
        ext[7] = 0xbe;
        const Bytes name = fakes::Utf16Bytes(longName);
        ext.insert(ext.end(), name.begin(), name.end());
        ext.push_back(0);
        ext.push_back(0);  // the block's own offset, filled below
        Put16(ext, 0, static_cast<uint16_t>(ext.size()));
        Put16(ext, ext.size() - 2, static_cast<uint16_t>(block));
        item.insert(item.end(), ext.begin(), ext.end());
    }
    Put16(item, 0, static_cast<uint16_t>(item.size()));
    return item;
}

// A root folder item (My Computer) then the given items, then the 0 size.
Bytes List(const std::vector<Bytes>& items) {
    Bytes list = {0x14, 0x00, 0x1f, 0x50, 0xe0, 0x4f, 0xd0, 0x20, 0xea, 0x3a, 0x69, 0x10,
                  0xa2, 0xd8, 0x08, 0x00, 0x2b, 0x30, 0x30, 0x9d};
    for (const Bytes& item : items) list.insert(list.end(), item.begin(), item.end());
    list.push_back(0);
    list.push_back(0);
    return list;
}

std::string NameOf(const Bytes& data) {
    std::string name;
    return ShellItemListFileName(data.data(), data.size(), name) ? name : "(none)";
}

TEST(ShellItems, RealListsGiveTheLongName) {
    EXPECT_EQ("NTUSER-WSL.DAT", NameOf(kHiveLongAndShort));  // short name NTUSER~1.DAT
    EXPECT_EQ("NTUSER.DAT", NameOf(kHiveSameNames));
}

TEST(ShellItems, LongNameOffsetFollowsTheBlockVersion) {
    for (uint16_t version : {3, 7, 8, 9, 10}) {
        SCOPED_TRACE(version);
        EXPECT_EQ(seam::Cp949FromUtf8("보고서 최종.docx"),
                  NameOf(List({FileEntry("DOCS", u"Docs", 9), FileEntry("BOGOSE~1.DOC", u"보고서 최종.docx", version)})));
    }
    // The last item counts, not the first.
    EXPECT_EQ("b.txt", NameOf(List({FileEntry("A.TXT", u"a.txt", 9), FileEntry("B.TXT", u"b.txt", 9)})));
}

TEST(ShellItems, WithoutALongNameTheShortNameIsTaken) {
    EXPECT_EQ("REPORT~1.DOC", NameOf(List({FileEntry("REPORT~1.DOC", u"", 0)})));
    // A block of an unknown kind, or one too old to hold a long name.
    Bytes other = FileEntry("OTHER.TXT", u"other long.txt", 9);
    other[other[other.size() - 2] + 4] = 0x05;  // signature 0xBEEF0005
    EXPECT_EQ("OTHER.TXT", NameOf(List({other})));
    EXPECT_EQ("OLD.TXT", NameOf(List({FileEntry("OLD.TXT", u"old long.txt", 2)})));
    // A long name without its terminating unit inside the block.
    Bytes open = FileEntry("OPEN.TXT", u"open.txt", 9);
    Put16(open, open.size() - 4, 'x');  // overwrite the 0x0000 unit
    EXPECT_EQ("OPEN.TXT", NameOf(List({open})));
}

TEST(ShellItems, BrokenListsGiveNoName) {
    const Bytes good = List({FileEntry("A.TXT", u"a.txt", 9)});
    EXPECT_EQ("a.txt", NameOf(good));
    // Cut inside the last item, cut before the terminator, or no items at all.
    for (size_t cut : {good.size() - 10, good.size() - 1, good.size() - 2, size_t{1}, size_t{0}}) {
        SCOPED_TRACE(cut);
        const Bytes truncated(good.begin(), good.begin() + static_cast<long>(cut));
        EXPECT_EQ("(none)", NameOf(truncated));
    }
    EXPECT_EQ("(none)", NameOf({0x00, 0x00}));
    // An item claiming more bytes than there are; a size too small to hold a class.
    Bytes huge = good;
    Put16(huge, 20, 0xFFFF);
    EXPECT_EQ("(none)", NameOf(huge));
    EXPECT_EQ("(none)", NameOf({0x02, 0x00, 0x00, 0x00}));
    // A list ending in a folder that is not a file entry (the root item alone).
    EXPECT_EQ("(none)", NameOf(List({})));
    // A long name of only a character the conversion shows nothing of (a
    // tag character), and no short name, names no file.
    EXPECT_EQ("(none)", NameOf(List({FileEntry("", u"\U000E0041", 9)})));
    // An extension offset pointing past the item falls back to the short name.
    Bytes wild = FileEntry("WILD.TXT", u"wild.txt", 9);
    Put16(wild, wild.size() - 2, 0x7FFF);
    EXPECT_EQ("WILD.TXT", NameOf(List({wild})));
}

// A volume item naming a drive, as a link's target list holds it.
Bytes Volume(const std::string& drive) {
    Bytes item = {0x00, 0x00, 0x2f};
    for (char c : drive) item.push_back(static_cast<uint8_t>(c));
    item.resize(25, 0);
    Put16(item, 0, static_cast<uint16_t>(item.size()));
    return item;
}

std::string PathOf(const Bytes& data) {
    std::string path;
    return ShellItemListPath(data.data(), data.size(), path) ? path : "(none)";
}

TEST(ShellItemPaths, DriveAndFileEntriesMakeTheFullPath) {
    EXPECT_EQ(seam::Cp949FromUtf8("C:\\Docs\\보고서 최종.docx"),
              PathOf(List({Volume("C:\\"), FileEntry("DOCS", u"Docs", 9),
                           FileEntry("BOGOSE~1.DOC", u"보고서 최종.docx", 8)})));
    // A drive written without its backslash, an entry known by its short name only.
    EXPECT_EQ("D:\\OLD.TXT", PathOf(List({Volume("D:"), FileEntry("OLD.TXT", u"", 0)})));
    // The drive alone is a path too.
    EXPECT_EQ("E:\\", PathOf(List({Volume("E:\\")})));
}

TEST(ShellItemPaths, ListsThatDoNotSpellThePathGiveNone) {
    // No drive after the root; the root alone.
    EXPECT_EQ("(none)", PathOf(List({FileEntry("A.TXT", u"a.txt", 9)})));
    EXPECT_EQ("(none)", PathOf(List({})));
    // A root other than the computer (a known folder's class id).
    Bytes other = List({Volume("C:\\"), FileEntry("A.TXT", u"a.txt", 9)});
    other[4] ^= 0xff;
    EXPECT_EQ("(none)", PathOf(other));
    // Something that is not a file entry after the drive (a second volume).
    EXPECT_EQ("(none)", PathOf(List({Volume("C:\\"), Volume("D:\\")})));
    // A volume item without a name, and one whose name runs to the item's end.
    Bytes unnamed = Volume("C:\\");
    unnamed[2] = 0x2e;
    EXPECT_EQ("(none)", PathOf(List({unnamed, FileEntry("A.TXT", u"a.txt", 9)})));
    Bytes open(3, 0x41);
    open[2] = 0x2f;
    open.insert(open.end(), {'C', ':', '\\'});
    Put16(open, 0, static_cast<uint16_t>(open.size()));
    EXPECT_EQ("(none)", PathOf(List({open})));
    // Cut before the terminator.
    const Bytes good = List({Volume("C:\\"), FileEntry("A.TXT", u"a.txt", 9)});
    EXPECT_EQ("C:\\a.txt", PathOf(good));
    EXPECT_EQ("(none)", PathOf(Bytes(good.begin(), good.end() - 2)));
}

TEST(Utf16Names, DataThatBeginsWithANameGivesItInCodePage949) {
    std::string name;
    Bytes data = fakes::Utf16Bytes(u"회의록.docx");
    data.insert(data.end(), {0x5c, 0x00, 0x32, 0x00});  // a shell item follows
    ASSERT_TRUE(LeadingUtf16Name(data, name));
    EXPECT_EQ(seam::Cp949FromUtf8("회의록.docx"), name);

    // A character code page 949 lacks, and an unpaired surrogate, become '?'.
    ASSERT_TRUE(LeadingUtf16Name(fakes::Utf16Bytes(u"a\U0001F600b"), name));
    EXPECT_EQ('a', name.front());
    EXPECT_EQ('b', name.back());
    EXPECT_EQ(std::string::npos, name.find_first_not_of("a?b")) << name;
    ASSERT_TRUE(LeadingUtf16Name(fakes::Utf16Bytes(u"x\xD800y"), name));
    EXPECT_EQ("x?y", name);

    // Not a name: empty, a control unit, no terminator, an odd byte only.
    EXPECT_FALSE(LeadingUtf16Name(fakes::Utf16Bytes(u""), name));
    EXPECT_FALSE(LeadingUtf16Name(fakes::Utf16Bytes(u"a\x01z"), name));
    EXPECT_FALSE(LeadingUtf16Name({'a', 0, 'b', 0}, name));
    EXPECT_FALSE(LeadingUtf16Name({'a'}, name));
    EXPECT_FALSE(LeadingUtf16Name({0x01, 0x00, 0x00, 0x00}, name));  // MRUListEx: index 1 first
}

}  // namespace
}  // namespace engine
