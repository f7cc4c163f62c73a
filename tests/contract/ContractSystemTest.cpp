// The system seam: file existence as Windows answers it.
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

}  // namespace
}  // namespace contract
