// The registry helpers' edges that only the fake can stage: buffers at their
// limits, keys that refuse, names and paths far beyond 260 bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "registry/RegHelpers.h"
#include "seam/Scoped.h"
#include "tests/fakes/FakeRegistry.h"

namespace registry {
namespace {

using fakes::FakeRegistry;
constexpr seam::RegRoot kHkcu = seam::RegRoot::CurrentUser;

class RegHelpers : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(0, m_reg.OpenHandleCount()) << "a helper left a key open";
        EXPECT_EQ(0, m_reg.BadCloseCount());
    }
    fakes::FakeRegistry m_reg;
};

TEST_F(RegHelpers, ReadRegStringNeverWritesPastTheBuffer) {
    char buffer[16];
    const auto fill = [&] { std::memset(buffer, '#', sizeof buffer); };

    // A default longer than the buffer is cut and terminated inside it.
    fill();
    EXPECT_EQ(seam::kErrFileNotFound, ReadRegString(m_reg, kHkcu, "K", "absent", "0123456789", buffer, 8));
    EXPECT_STREQ("0123456", buffer);
    EXPECT_EQ('#', buffer[8]);

    // Size 1 holds only the terminator; size 0 touches nothing.
    fill();
    EXPECT_EQ(seam::kErrFileNotFound, ReadRegString(m_reg, kHkcu, "K", "absent", "0", buffer, 1));
    EXPECT_EQ('\0', buffer[0]);
    EXPECT_EQ('#', buffer[1]);
    fill();
    EXPECT_EQ(seam::kErrFileNotFound, ReadRegString(m_reg, kHkcu, "K", "absent", "0", buffer, 0));
    EXPECT_EQ('#', buffer[0]);

    // Data that fills the buffer exactly without a terminator of its own.
    m_reg.SetBytes(kHkcu, "K", "bin", seam::kRegBinary, {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'});
    fill();
    EXPECT_EQ(seam::kErrSuccess, ReadRegString(m_reg, kHkcu, "K", "bin", "0", buffer, 8));
    EXPECT_STREQ("abcdefg", buffer);
    EXPECT_EQ('#', buffer[8]);

    // A terminated string that exactly fits is read whole.
    m_reg.SetString(kHkcu, "K", "sz", "1234567");
    fill();
    EXPECT_EQ(seam::kErrSuccess, ReadRegString(m_reg, kHkcu, "K", "sz", "0", buffer, 8));
    EXPECT_STREQ("1234567", buffer);

    // One byte too many: the default.
    m_reg.SetString(kHkcu, "K", "sz", "12345678");
    EXPECT_EQ(seam::kErrMoreData, ReadRegString(m_reg, kHkcu, "K", "sz", "0", buffer, 8));
    EXPECT_STREQ("0", buffer);

    // A DWORD is copied as its bytes, whatever the type.
    m_reg.SetDword(kHkcu, "K", "dw", 0x00434241);
    EXPECT_EQ(seam::kErrSuccess, ReadRegString(m_reg, kHkcu, "K", "dw", "0", buffer, sizeof buffer));
    EXPECT_STREQ("ABC", buffer);
}

TEST_F(RegHelpers, RefusedKeysGiveTheFailureResults) {
    using fakes::kDenyOpen;
    using fakes::kDenyWriteValues;
    char buffer[260];

    m_reg.SetString(kHkcu, "Closed", "v", "secret");
    m_reg.Deny(kHkcu, "Closed", fakes::kDenyOpen);
    EXPECT_EQ(seam::kErrAccessDenied, ReadRegString(m_reg, kHkcu, "Closed", "v", "0", buffer, sizeof buffer));
    EXPECT_STREQ("0", buffer);
    EXPECT_EQ(seam::kErrAccessDenied, WriteRegString(m_reg, kHkcu, "Closed", "v", "new"));
    EXPECT_EQ(seam::kErrAccessDenied, DeleteRegValue(m_reg, kHkcu, "Closed", "v"));
    EXPECT_EQ(seam::kErrAccessDenied, DeleteKeyTree(m_reg, kHkcu, "Closed", true));
    EXPECT_EQ("secret", m_reg.StringValue(kHkcu, "Closed", "v"));

    m_reg.SetString(kHkcu, "ReadOnly", "v", "kept");
    m_reg.Deny(kHkcu, "ReadOnly", fakes::kDenyWriteValues);
    EXPECT_EQ(seam::kErrSuccess, ReadRegString(m_reg, kHkcu, "ReadOnly", "v", "0", buffer, sizeof buffer));
    EXPECT_EQ(seam::kErrAccessDenied, WriteRegString(m_reg, kHkcu, "ReadOnly", "v", "new"));
    EXPECT_EQ(seam::kErrAccessDenied, DeleteRegValue(m_reg, kHkcu, "ReadOnly", "v"));
    EXPECT_EQ("kept", m_reg.StringValue(kHkcu, "ReadOnly", "v"));
}

TEST_F(RegHelpers, DeleteSubkeysEndsAtAChildThatStays) {
    using fakes::kDenyDeleteKey;
    using fakes::kDenyNone;
    using fakes::kDenyOpen;

    struct Case {
        const char* what;
        std::string stuck;  // below "T"
        unsigned deny;
        long expected;
    };
    const Case cases[] = {
        {"undeletable child", "A", fakes::kDenyDeleteKey, seam::kErrAccessDenied},
        {"undeletable grandchild", "A\\B", fakes::kDenyDeleteKey, seam::kErrAccessDenied},
        {"unopenable grandchild", "A\\B", fakes::kDenyOpen, seam::kErrAccessDenied},
        // A name that does not fit the 260-byte enumeration buffer.
        {"300-byte child name", std::string(300, 'n'), fakes::kDenyNone, seam::kErrMoreData},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::FakeRegistry reg;
        reg.SetString(kHkcu, "T\\" + c.stuck, "v", "1");
        reg.AddKey(kHkcu, "T\\Z");
        reg.SetString(kHkcu, "T", "own", "1");
        if (c.deny != fakes::kDenyNone) reg.Deny(kHkcu, "T\\" + c.stuck, c.deny);

        EXPECT_EQ(c.expected, DeleteSubkeys(reg, kHkcu, "T"));
        EXPECT_EQ(c.expected, DeleteKeyTree(reg, kHkcu, "T", true));
        EXPECT_TRUE(reg.KeyExists(kHkcu, "T\\" + c.stuck));
        EXPECT_TRUE(reg.ValueExists(kHkcu, "T", "own"));
        EXPECT_LT(reg.DeleteKeyCalls(), 10) << "the walk came back to the same child";
        EXPECT_EQ(0, reg.OpenHandleCount());
    }
}

TEST_F(RegHelpers, DeepAndLongPathsAreBuiltWhole) {
    // 40 levels of 200-byte names: paths of about 8,000 bytes.
    std::string path = "Deep";
    for (int level = 0; level < 40; ++level) {
        path += "\\" + std::string(199, static_cast<char>('a' + level % 26)) + std::to_string(level % 10);
    }
    m_reg.SetString(kHkcu, path, "leaf", "1");
    // A wide level of 255-byte names (the longest Windows allows) beside it.
    for (char c : {'x', 'y', 'z'}) m_reg.AddKey(kHkcu, "Deep\\" + std::string(255, c));
    ASSERT_GT(path.size(), 8000u);

    EXPECT_EQ(seam::kErrSuccess, DeleteKeyTree(m_reg, kHkcu, "Deep", false));
    EXPECT_TRUE(m_reg.KeyExists(kHkcu, "Deep"));
    EXPECT_TRUE(m_reg.SubkeyNames(kHkcu, "Deep").empty());
    EXPECT_EQ(seam::kErrSuccess, DeleteKeyTree(m_reg, kHkcu, "Deep", true));
    EXPECT_FALSE(m_reg.KeyExists(kHkcu, "Deep"));
}

TEST_F(RegHelpers, DeleteKeyTreeRemovesDeepestKeysFirst) {
    m_reg.SetString(kHkcu, "T\\A\\A1", "v", "1");
    m_reg.SetString(kHkcu, "T\\A", "v", "1");
    m_reg.AddKey(kHkcu, "T\\B");
    // Deleting a parent before its children would fail in the fake as on
    // Windows, so success here means the order was right.
    EXPECT_EQ(seam::kErrSuccess, DeleteKeyTree(m_reg, kHkcu, "T", true));
    EXPECT_FALSE(m_reg.KeyExists(kHkcu, "T"));
    EXPECT_EQ(4, m_reg.DeleteKeyCalls());  // A1, A, B, T: each once
}

// How many calls a value costs and what comes back, around each buffer's
// limits: a value that fits the first buffers costs one call; one that does
// not costs a call more for each size the larger of the two needs.
TEST_F(RegHelpers, EnumWholeValueGrowsBothBuffersUntilTheValueFits) {
    std::string longest;  // the longest name a value can have: 16,383 two-byte characters
    for (int i = 0; i < 16383; ++i) longest += "\xC7\xD1";
    struct Case {
        const char* what;
        std::string name;
        size_t dataBytes;
        long expected;
        int calls;
    };
    const Case cases[] = {
        {"both fit", "v", 10, seam::kErrSuccess, 1},
        {"data that fills the first buffer", "v", kFirstDataBuffer, seam::kErrSuccess, 1},
        {"a byte more", "v", kFirstDataBuffer + 1, seam::kErrSuccess, 2},
        {"a name with no room for its terminator", std::string(kNameBuffer, 'n'), 10, seam::kErrSuccess, 2},
        {"data of the second size and a byte", "v", kLargerDataBuffers[0] + 1, seam::kErrSuccess, 3},
        {"data of the largest size", "v", kLargerDataBuffers[2], seam::kErrSuccess, 4},
        {"the longest name", longest, 10, seam::kErrSuccess, 5},
        // Five calls find both buffers at their limits; the name comes alone.
        {"data past the largest size", "v", kLargerDataBuffers[2] + 1, seam::kErrMoreData, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fakes::FakeRegistry reg;
        std::vector<uint8_t> bytes(c.dataBytes);
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
        reg.SetBytes(kHkcu, "K", c.name, seam::kRegBinary, bytes);
        seam::ScopedRegKey key(reg);
        ASSERT_EQ(seam::kErrSuccess, reg.OpenKey(kHkcu, "K", seam::RegAccess::Read, key.Out()));
        const int before = reg.ValueReadCalls();

        std::string name = "stale";
        std::vector<uint8_t> data{1};
        uint32_t type = 0;
        EXPECT_EQ(c.expected, EnumWholeValue(reg, key.Get(), 0, name, data, &type));
        EXPECT_EQ(c.calls, reg.ValueReadCalls() - before);
        EXPECT_EQ(c.name, name);
        if (c.expected == seam::kErrSuccess) {
            EXPECT_EQ(bytes, data);
            EXPECT_EQ(seam::kRegBinary, type);
        } else {
            EXPECT_TRUE(data.empty());
        }
    }
}

TEST_F(RegHelpers, EnumWholeValueGivesTheEnumerationsOwnFailures) {
    m_reg.SetString(kHkcu, "K", "only", "1");
    std::string name;
    std::vector<uint8_t> data;
    {
        seam::ScopedRegKey key(m_reg);
        ASSERT_EQ(seam::kErrSuccess, m_reg.OpenKey(kHkcu, "K", seam::RegAccess::Read, key.Out()));
        EXPECT_EQ(seam::kErrNoMoreItems, EnumWholeValue(m_reg, key.Get(), 1, name, data, nullptr));
        EXPECT_EQ(seam::kErrSuccess, EnumWholeValue(m_reg, key.Get(), 0, name, data, nullptr));
        EXPECT_EQ("only", name);
    }
    // A handle that may only write cannot enumerate.
    seam::ScopedRegKey writeOnly(m_reg);
    ASSERT_EQ(seam::kErrSuccess, m_reg.OpenKey(kHkcu, "K", seam::RegAccess::Write, writeOnly.Out()));
    EXPECT_EQ(seam::kErrAccessDenied, EnumWholeValue(m_reg, writeOnly.Get(), 0, name, data, nullptr));
    EXPECT_EQ(3, m_reg.ValueReadCalls()) << "neither the end nor a refusal is asked again";
}

}  // namespace
}  // namespace registry
