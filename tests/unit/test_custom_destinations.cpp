// Custom jump lists: the real one of the shared test data and cut or forged
// copies of it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/CustomDestinations.h"
#include "tests/fakes/SharedTestData.h"

namespace engine {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(CustomDestinations, RealListNamesEachTaskLink) {
    const Bytes file = fakes::ReadSharedTestFile("files/jumplists/5afe4de1b92fc382.customDestinations-ms");
    ASSERT_FALSE(file.empty()) << "shared test data not found";
    // One category of user tasks holding 9 links, each to the Getting
    // Started program with its own arguments.
    ASSERT_EQ(9u, file[16]);
    std::vector<std::string> paths;
    ASSERT_TRUE(CustomDestinationTargets(file.data(), file.size(), paths));
    EXPECT_EQ(std::vector<std::string>(9, "C:\\Windows\\System32\\GettingStarted.exe"), paths);

    // A cut copy names the links that end before the cut, never more.
    for (size_t cut = 0; cut < file.size(); cut += 97) {
        std::vector<std::string> part;
        const bool ok = CustomDestinationTargets(file.data(), cut, part);
        EXPECT_EQ(cut >= 12, ok) << cut;
        EXPECT_LE(part.size(), 9u);
    }
    // Another version; a count of 2^31 categories or entries.
    Bytes version = file;
    version[0] = 3;
    EXPECT_FALSE(CustomDestinationTargets(version.data(), version.size(), paths));
    Bytes count = file;
    count[4] = 0;
    count[7] = 0x80;
    count[19] = 0x80;
    ASSERT_TRUE(CustomDestinationTargets(count.data(), count.size(), paths));
    EXPECT_EQ(9u, paths.size());
}

}  // namespace
}  // namespace engine
