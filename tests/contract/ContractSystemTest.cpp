// The system seam: file existence as Windows answers it, and whether Wine
// runs the program.
#include "tests/contract/ContractFixture.h"

namespace contract {
namespace {

using ContractSystem = ContractTest;

TEST_F(ContractSystem, ModuleFileExistsWhateverTheCase) {
    seam::ISystem& sys = P().system;
    const std::string self = sys.ModulePath();
    ASSERT_FALSE(self.empty());
    EXPECT_TRUE(sys.FileExists(self));
    std::string upper = self;
    for (size_t i = 0; i < upper.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(upper[i]);
        if (c >= 0x81) {
            ++i;  // a double-byte character keeps its trail byte
        } else if (c >= 'a' && c <= 'z') {
            upper[i] = static_cast<char>(c - 'a' + 'A');
        }
    }
    EXPECT_TRUE(sys.FileExists(upper));
    EXPECT_FALSE(sys.FileExists(self + ".kv-no-such-file"));
}

// Wine says so through ntdll, and only Wine: the answer agrees with what
// the prefix itself shows, stays the same, and names a version.
TEST_F(ContractSystem, WineVersionNamesWineExactlyWhenWineRuns) {
    seam::ISystem& sys = P().system;
    const std::string version = sys.WineVersion();
    EXPECT_EQ(m_cp->HostIsWine(), !version.empty()) << "WineVersion() = \"" << version << "\"";
    EXPECT_EQ(version, sys.WineVersion());
    if (!version.empty()) {
        EXPECT_TRUE(version[0] >= '0' && version[0] <= '9') << version;
    }
}

}  // namespace
}  // namespace contract
