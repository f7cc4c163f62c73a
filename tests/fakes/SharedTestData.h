// The real files of the shared test data (shortcuts, jump lists, hives),
// found through KV_TESTDATA or in the first folder above this source tree
// that holds shared/testdata, so a worktree anywhere below it finds them.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fakes {

inline std::string SharedTestDataDir() {
    if (const char* env = std::getenv("KV_TESTDATA")) return env;
    std::string dir = __FILE__;
    for (;;) {
        const size_t slash = dir.find_last_of('/');
        if (slash == std::string::npos || slash == 0) return {};
        dir.erase(slash);
        const std::string candidate = dir + "/shared/testdata";
        if (std::ifstream(candidate + "/README.md")) return candidate;
    }
}

// The bytes of `relative` below the test data folder; empty when missing.
inline std::vector<uint8_t> ReadSharedTestFile(const std::string& relative) {
    std::ifstream in(SharedTestDataDir() + "/" + relative, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace fakes
