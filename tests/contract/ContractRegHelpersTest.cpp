// The registry helpers on the side under test: the same results from the
// real registry as from the fake.
#include <cstring>

#include "registry/RegHelpers.h"
#include "seam/Scoped.h"
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

using ContractRegHelpers = ContractTest;
constexpr seam::RegRoot kHkcu = seam::RegRoot::CurrentUser;

TEST_F(ContractRegHelpers, ReadRegStringFallsBackToTheDefault) {
    char buffer[260];

    // Present value.
    SetText(Under("Run"), "Kestravin", "C:\\Tools\\Kestravin.exe");
    EXPECT_EQ(seam::kErrSuccess, registry::ReadRegString(Reg(), kHkcu, Under("Run"), "Kestravin", "0", buffer, sizeof buffer));
    EXPECT_STREQ("C:\\Tools\\Kestravin.exe", buffer);

    // Absent value: the default, result 0.
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(seam::kErrFileNotFound, registry::ReadRegString(Reg(), kHkcu, Under("Run"), "Other", "0", buffer, sizeof buffer));
    EXPECT_STREQ("0", buffer);

    // Data longer than the buffer: the default.
    SetText(Under("Run"), "Long", std::string(400, 'L'));
    EXPECT_EQ(seam::kErrMoreData, registry::ReadRegString(Reg(), kHkcu, Under("Run"), "Long", "0", buffer, sizeof buffer));
    EXPECT_STREQ("0", buffer);

    // Absent key: the default, and the read leaves the key behind, empty.
    EXPECT_FALSE(KeyExists(Under("Created")));
    EXPECT_EQ(seam::kErrFileNotFound, registry::ReadRegString(Reg(), kHkcu, Under("Created"), "v", "0", buffer, sizeof buffer));
    EXPECT_STREQ("0", buffer);
    EXPECT_TRUE(KeyExists(Under("Created")));
    seam::ScopedRegKey key(Reg());
    ASSERT_EQ(seam::kErrSuccess, Reg().OpenKey(kHkcu, Under("Created"), seam::RegAccess::Read, key.Out()));
    std::string name;
    EXPECT_EQ(seam::kErrNoMoreItems, Reg().EnumValueName(key.Get(), 0, name, 260));
    EXPECT_EQ(seam::kErrNoMoreItems, Reg().EnumSubkey(key.Get(), 0, name, 260));
}

TEST_F(ContractRegHelpers, WriteRegStringStoresATerminatedString) {
    EXPECT_EQ(seam::kErrSuccess, registry::WriteRegString(Reg(), kHkcu, Under("New\\Run"), "Kestravin", "C:\\K\\Kestravin.exe"));

    seam::ScopedRegKey key(Reg());
    ASSERT_EQ(seam::kErrSuccess, Reg().OpenKey(kHkcu, Under("New\\Run"), seam::RegAccess::Read, key.Out()));
    std::vector<uint8_t> data;
    uint32_t type = 0;
    ASSERT_EQ(seam::kErrSuccess, Reg().QueryValue(key.Get(), "Kestravin", data, 260, &type));
    EXPECT_EQ(seam::kRegSz, type);
    EXPECT_EQ(TextBytes("C:\\K\\Kestravin.exe"), data);

    // Overwriting replaces the text.
    EXPECT_EQ(seam::kErrSuccess, registry::WriteRegString(Reg(), kHkcu, Under("New\\Run"), "Kestravin", "x"));
    char buffer[260];
    EXPECT_EQ(seam::kErrSuccess, registry::ReadRegString(Reg(), kHkcu, Under("New\\Run"), "Kestravin", "0", buffer, sizeof buffer));
    EXPECT_STREQ("x", buffer);
}

TEST_F(ContractRegHelpers, DeleteRegValueReportsWhetherItDeleted) {
    SetText(Under("TypedURLs"), "url1", "http://a.example/");
    SetText(Under("TypedURLs"), "url2", "http://b.example/");

    EXPECT_EQ(seam::kErrSuccess, registry::DeleteRegValue(Reg(), kHkcu, Under("TypedURLs"), "URL1"));
    EXPECT_FALSE(ValueExists(Under("TypedURLs"), "url1"));
    EXPECT_TRUE(ValueExists(Under("TypedURLs"), "url2"));

    EXPECT_EQ(seam::kErrFileNotFound, registry::DeleteRegValue(Reg(), kHkcu, Under("TypedURLs"), "url1"));  // already gone
    EXPECT_EQ(seam::kErrFileNotFound, registry::DeleteRegValue(Reg(), kHkcu, Under("Nowhere"), "url1"));    // no key
    EXPECT_FALSE(KeyExists(Under("Nowhere")));                               // and none made
}

TEST_F(ContractRegHelpers, DeleteKeyTreeRemovesNestedSubtrees) {
    const std::string tree = Under("IntelliForms");
    SetText(tree, "own", "kept unless the key goes");
    SetText(tree + "\\SPW\\Deep\\Deeper\\Deepest", "v", "1");
    SetText(tree + "\\SPW\\Deep", "v", "1");
    SetText(tree + "\\Storage1", "a", "1");
    SetText(tree + "\\Storage2\\x", "b", "1");

    // bDeleteSelf 0: the subkeys go, the key and its own values stay.
    EXPECT_EQ(seam::kErrSuccess, registry::DeleteKeyTree(Reg(), kHkcu, tree, false));
    EXPECT_TRUE(KeyExists(tree));
    EXPECT_TRUE(ValueExists(tree, "own"));
    {
        seam::ScopedRegKey key(Reg());
        ASSERT_EQ(seam::kErrSuccess, Reg().OpenKey(kHkcu, tree, seam::RegAccess::Read, key.Out()));
        std::string name;
        EXPECT_EQ(seam::kErrNoMoreItems, Reg().EnumSubkey(key.Get(), 0, name, 260));
    }

    // bDeleteSelf 1 on a key with values but no subkeys: the key goes.
    EXPECT_EQ(seam::kErrSuccess, registry::DeleteKeyTree(Reg(), kHkcu, tree, true));
    EXPECT_FALSE(KeyExists(tree));

    // A missing key: ERROR_FILE_NOT_FOUND, nothing deleted, nothing made.
    EXPECT_EQ(seam::kErrFileNotFound, registry::DeleteKeyTree(Reg(), kHkcu, tree, true));
    EXPECT_EQ(seam::kErrFileNotFound, registry::DeleteSubkeys(Reg(), kHkcu, tree));
    EXPECT_FALSE(KeyExists(tree));
}

TEST_F(ContractRegHelpers, DeleteKeyTreeWithSelfRemovesEveryLevel) {
    const std::string tree = Under("T");
    for (const char* leaf : {"\\a\\b\\c", "\\a\\d", "\\e"}) SetText(tree + leaf, "v", leaf);
    EXPECT_EQ(seam::kErrSuccess, registry::DeleteKeyTree(Reg(), kHkcu, tree, true));
    EXPECT_FALSE(KeyExists(tree));
    EXPECT_TRUE(KeyExists(m_strScratch));  // the parent is not touched
}

}  // namespace
}  // namespace contract
