// The file seam: names that code page 949 cannot spell, files a program
// holds open or that are read-only, missing folders, bounded reads, and
// paths past MAX_PATH. Every name is removed by its exact UTF-16 path, never
// by its display text.
#include <algorithm>
#include <map>

#include "seam/Text.h"
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

class ContractFiles : public ContractTest {
protected:
    void SetUp() override {
        ContractTest::SetUp();
        m_strFolder = m_cp->ScratchFolder();
        ASSERT_FALSE(m_strFolder.empty());
    }

    seam::IFileSystem& Files() { return P().files; }
    std::u16string In(const std::u16string& name) const { return m_strFolder + u"\\" + name; }

    // The folder's entries by name.
    std::map<std::u16string, seam::FileEntry> List(const std::u16string& folder) {
        std::vector<seam::FileEntry> entries;
        EXPECT_EQ(seam::kErrSuccess, Files().ListFolder(folder, entries));
        std::map<std::u16string, seam::FileEntry> byName;
        for (const auto& entry : entries) byName[entry.name] = entry;
        EXPECT_EQ(entries.size(), byName.size()) << "a name listed twice";
        return byName;
    }

    std::u16string m_strFolder;
};

const std::u16string kKorean = u"검색기록.txt";
const std::u16string kHebrew = u"שלום.txt";
const std::u16string kHebrewTwin = u"אבגד.txt";  // the same display text as kHebrew
const std::u16string kEmoji = u"\U0001F600 웃음.txt";

TEST_F(ContractFiles, Utf16NamesAreListedAndRemovedByTheirExactPath) {
    ASSERT_TRUE(m_cp->MakeFile(In(kKorean), "korean"));
    ASSERT_TRUE(m_cp->MakeFile(In(kHebrew), "hebrew!"));
    ASSERT_TRUE(m_cp->MakeFile(In(kHebrewTwin), "twin"));
    ASSERT_TRUE(m_cp->MakeFile(In(kEmoji), ""));
    ASSERT_TRUE(m_cp->MakeFolder(In(u"폴더")));

    auto entries = List(m_strFolder);
    ASSERT_EQ(5u, entries.size());
    ASSERT_TRUE(entries.count(kKorean) && entries.count(kHebrew) && entries.count(kHebrewTwin) && entries.count(kEmoji));
    EXPECT_EQ(6u, entries[kKorean].size);
    EXPECT_EQ(7u, entries[kHebrew].size);
    EXPECT_EQ(0u, entries[kEmoji].size);
    EXPECT_EQ(0u, entries[kKorean].attributes & seam::kAttrDirectory);
    ASSERT_TRUE(entries.count(u"폴더"));
    EXPECT_NE(0u, entries[u"폴더"].attributes & seam::kAttrDirectory);

    // Display texts: one '?' for each character code page 949 lacks.
    EXPECT_EQ(seam::Cp949FromUtf8("검색기록.txt"), seam::Cp949FromUtf16(kKorean));
    EXPECT_EQ("????.txt", seam::Cp949FromUtf16(kHebrew));
    EXPECT_EQ(seam::Cp949FromUtf16(kHebrew), seam::Cp949FromUtf16(kHebrewTwin));
    EXPECT_EQ(seam::Cp949FromUtf8("? 웃음.txt"), seam::Cp949FromUtf16(kEmoji));

    // Two names that display alike: removing one leaves the other.
    EXPECT_EQ(seam::kErrSuccess, Files().DeleteFile(In(kHebrew)));
    EXPECT_FALSE(m_cp->Exists(In(kHebrew)));
    EXPECT_TRUE(m_cp->Exists(In(kHebrewTwin)));
    EXPECT_EQ(seam::kErrSuccess, Files().DeleteFile(In(kEmoji)));
    EXPECT_EQ(seam::kErrSuccess, Files().DeleteFile(In(kKorean)));
    entries = List(m_strFolder);
    EXPECT_EQ(2u, entries.size());
    EXPECT_TRUE(entries.count(kHebrewTwin) && entries.count(u"폴더"));

    // A folder is no file to delete.
    EXPECT_EQ(seam::FileFate::Denied, seam::FileFateOf(Files().DeleteFile(In(u"폴더"))));
    EXPECT_TRUE(m_cp->Exists(In(u"폴더")));
}

TEST_F(ContractFiles, ReadGivesAtMostTheBytesAskedFor) {
    const std::u16string path = In(u"기록.bin");
    ASSERT_TRUE(m_cp->MakeFile(path, std::string("0123456789\0tail", 15)));
    std::vector<uint8_t> data{9, 9};
    ASSERT_EQ(seam::kErrSuccess, Files().ReadFile(path, 4, data));
    EXPECT_EQ(std::string("0123"), std::string(data.begin(), data.end()));
    ASSERT_EQ(seam::kErrSuccess, Files().ReadFile(path, 4096, data));
    EXPECT_EQ(std::string("0123456789\0tail", 15), std::string(data.begin(), data.end()));
    ASSERT_EQ(seam::kErrSuccess, Files().ReadFile(path, 0, data));
    EXPECT_TRUE(data.empty());

    // More than one read's worth, cut exactly.
    const std::string big(200 * 1024 + 7, 'x');
    ASSERT_TRUE(m_cp->MakeFile(In(u"큰.bin"), big));
    ASSERT_EQ(seam::kErrSuccess, Files().ReadFile(In(u"큰.bin"), 150 * 1024 + 3, data));
    EXPECT_EQ(150u * 1024 + 3, data.size());
    ASSERT_EQ(seam::kErrSuccess, Files().ReadFile(In(u"큰.bin"), 1 << 20, data));
    EXPECT_EQ(big.size(), data.size());
}

// A browser holds its databases open while it runs: the file is read
// alongside it, and its removal says "in use" and leaves it.
TEST_F(ContractFiles, FileHeldOpenByAnotherProgramIsInUse) {
    const std::u16string path = In(u"History \u05D0");
    ASSERT_TRUE(m_cp->MakeFile(path, "rows"));
    ASSERT_TRUE(m_cp->HoldOpenElsewhere(path));

    std::vector<uint8_t> data;
    ASSERT_EQ(seam::kErrSuccess, Files().ReadFile(path, 100, data));
    EXPECT_EQ("rows", std::string(data.begin(), data.end()));
    const long r = Files().DeleteFile(path);
    EXPECT_EQ(seam::kErrSharingViolation, r);
    EXPECT_EQ(seam::FileFate::InUse, seam::FileFateOf(r));
    EXPECT_TRUE(m_cp->Exists(path));
}

// A held database stays where it is while a library opens it by its path:
// it is read and written as before, but neither it nor its folder can be
// deleted until the holds go.
TEST_F(ContractFiles, AHeldFileAndFolderStayInPlaceAndOpen) {
    const std::u16string folder = In(u"프로필");
    const std::u16string path = folder + u"\\History";
    ASSERT_TRUE(m_cp->MakeFolder(folder));
    ASSERT_TRUE(m_cp->MakeFile(path, "rows"));
    long error = -1;
    {
        const auto folderHold = Files().HoldPlain(folder, true, error);
        ASSERT_TRUE(folderHold) << error;
        const auto fileHold = Files().HoldPlain(path, false, error);
        ASSERT_TRUE(fileHold) << error;
        std::vector<uint8_t> data;
        EXPECT_EQ(seam::kErrSuccess, Files().ReadFile(path, 100, data));
        EXPECT_EQ(seam::kErrSuccess, Files().CheckPlainFile(path));
        EXPECT_EQ(seam::kErrSharingViolation, Files().DeleteFile(path));
        EXPECT_TRUE(m_cp->Exists(path));
    }
    EXPECT_FALSE(Files().HoldPlain(In(u"없음"), false, error));
    EXPECT_EQ(seam::FileFate::Gone, seam::FileFateOf(error));
    EXPECT_FALSE(Files().HoldPlain(path, true, error)) << "a file held as a folder";
    EXPECT_EQ(seam::kErrSuccess, Files().DeleteFile(path)) << "the holds are let go";
}

TEST_F(ContractFiles, ReadOnlyFileIsDenied) {
    const std::u16string path = In(u"읽기전용.txt");
    ASSERT_TRUE(m_cp->MakeFile(path, "keep"));
    ASSERT_TRUE(m_cp->MakeReadOnly(path));

    const auto entries = List(m_strFolder);
    ASSERT_TRUE(entries.count(u"읽기전용.txt"));
    EXPECT_NE(0u, entries.at(u"읽기전용.txt").attributes & seam::kAttrReadOnly);
    const long r = Files().DeleteFile(path);
    EXPECT_EQ(seam::kErrAccessDenied, r);
    EXPECT_EQ(seam::FileFate::Denied, seam::FileFateOf(r));
    EXPECT_TRUE(m_cp->Exists(path));
    std::vector<uint8_t> data;
    EXPECT_EQ(seam::kErrSuccess, Files().ReadFile(path, 100, data));
}

TEST_F(ContractFiles, MissingFolderAndFileAreGone) {
    const std::u16string missing = In(u"없는 폴더");
    std::vector<seam::FileEntry> entries{seam::FileEntry{}};
    EXPECT_EQ(seam::kErrPathNotFound, Files().ListFolder(missing, entries));
    EXPECT_TRUE(entries.empty());

    std::vector<uint8_t> data{1};
    EXPECT_EQ(seam::FileFate::Gone, seam::FileFateOf(Files().ReadFile(missing + u"\\a.txt", 10, data)));
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(seam::FileFate::Gone, seam::FileFateOf(Files().ReadFile(In(u"없는.txt"), 10, data)));
    EXPECT_EQ(seam::FileFate::Gone, seam::FileFateOf(Files().DeleteFile(missing + u"\\a.txt")));

    // Removed once; the second attempt finds it gone.
    ASSERT_TRUE(m_cp->MakeFile(In(u"한번.txt"), "x"));
    EXPECT_EQ(seam::FileFate::Removed, seam::FileFateOf(Files().DeleteFile(In(u"한번.txt"))));
    EXPECT_EQ(seam::FileFate::Gone, seam::FileFateOf(Files().DeleteFile(In(u"한번.txt"))));

    // An empty folder lists empty, not missing.
    ASSERT_TRUE(m_cp->MakeFolder(In(u"빈")));
    EXPECT_TRUE(List(In(u"빈")).empty());
}

// Browser profiles nest deeply below Local AppData.
TEST_F(ContractFiles, PathsPastMaxPathAreReached) {
    std::u16string folder = m_strFolder;
    for (int i = 0; folder.size() < 300; ++i) {
        folder += u"\\" + std::u16string(40, static_cast<char16_t>(u'가' + i));
        ASSERT_TRUE(m_cp->MakeFolder(folder));
    }
    const std::u16string path = folder + u"\\Login Data";
    ASSERT_TRUE(m_cp->MakeFile(path, "deep"));
    const auto entries = List(folder);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(4u, entries.begin()->second.size);
    std::vector<uint8_t> data;
    ASSERT_EQ(seam::kErrSuccess, Files().ReadFile(path, 100, data));
    EXPECT_EQ("deep", std::string(data.begin(), data.end()));
    EXPECT_EQ(seam::kErrSuccess, Files().DeleteFile(path));
    EXPECT_FALSE(m_cp->Exists(path));
}

// A folder just under MAX_PATH whose search pattern ("\\*") is past it: its
// files are listed, not an empty folder reported.
TEST_F(ContractFiles, FolderJustUnderMaxPathIsListedWhole) {
    std::u16string folder = m_strFolder + u"\\";
    ASSERT_LT(folder.size(), 258u);
    folder += std::u16string(258 - folder.size(), u'r');
    ASSERT_EQ(258u, folder.size());
    ASSERT_TRUE(m_cp->MakeFolder(folder));
    ASSERT_TRUE(m_cp->MakeFile(folder + u"\\a.lnk", "near"));
    const auto entries = List(folder);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(u"a.lnk", entries.begin()->first);
    EXPECT_EQ(seam::kErrSuccess, Files().DeleteFile(folder + u"\\a.lnk"));
}

TEST_F(ContractFiles, KnownFoldersAreAbsoluteAndExist) {
    std::map<seam::KnownFolder, std::u16string> paths;
    for (auto folder : {seam::KnownFolder::RoamingAppData, seam::KnownFolder::LocalAppData, seam::KnownFolder::Recent}) {
        std::u16string path = u"stale";
        ASSERT_EQ(seam::kErrSuccess, Files().KnownFolderPath(folder, path));
        ASSERT_GT(path.size(), 3u);
        EXPECT_EQ(u':', path[1]);
        EXPECT_EQ(u'\\', path[2]);
        EXPECT_NE(u'\\', path.back());
        std::vector<seam::FileEntry> entries;
        EXPECT_EQ(seam::kErrSuccess, Files().ListFolder(path, entries)) << seam::Utf8FromUtf16(path);
        paths[folder] = path;
    }
    EXPECT_NE(paths[seam::KnownFolder::RoamingAppData], paths[seam::KnownFolder::LocalAppData]);
    EXPECT_NE(paths[seam::KnownFolder::RoamingAppData], paths[seam::KnownFolder::Recent]);
}

// SQLite opens a database by a UTF-8 path: it must name the same file.
TEST_F(ContractFiles, Utf8PathNamesTheSameFile) {
    const std::u16string path = In(kEmoji);
    ASSERT_TRUE(m_cp->MakeFile(path, "db"));
    const std::string utf8 = Files().Utf8Path(path);
    const std::string name = seam::Utf8FromUtf16(kEmoji);
    ASSERT_GT(utf8.size(), name.size());
    EXPECT_EQ(name, utf8.substr(utf8.size() - name.size()));
    EXPECT_EQ(std::u16string::npos, seam::Utf16FromUtf8(utf8).find(u'\uFFFD')) << "not valid UTF-8";
}

}  // namespace
}  // namespace contract
