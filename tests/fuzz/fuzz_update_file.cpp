// The update's file name from the reply: whatever is accepted names one
// file directly in the program's directory.
#include <cstdint>
#include <string>
#include <string_view>

#include "net/update/UpdateFile.h"
#include "seam/Platform.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

constexpr const char* kAppDir = "C:\\Program Files\\Kestravin\\";

void CheckPlainName(std::string_view name) {
    KV_FUZZ_CHECK(!name.empty() && name.size() <= net::kMaxFileNameBytes);
    KV_FUZZ_CHECK(name.find_first_of("\\/:") == std::string_view::npos);
    KV_FUZZ_CHECK(name.find("..") == std::string_view::npos);
    KV_FUZZ_CHECK(name.back() != '.' && name.back() != ' ');
    for (unsigned char c : name) KV_FUZZ_CHECK(c >= 0x20 && c != 0x7F);
}

void CheckJoined(const std::string& dir, std::string_view url) {
    const std::string path = net::UpdateFilePath(dir, url);
    if (path.empty()) return;
    KV_FUZZ_CHECK(net::IsHttpUrl(url));
    KV_FUZZ_CHECK(path.size() + std::string_view(seam::kPartFileSuffix).size() < net::kMaxPathBytes);
    KV_FUZZ_CHECK(path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0);
    const std::string_view name = std::string_view(path).substr(dir.size());
    KV_FUZZ_CHECK(net::IsPlainFileName(name));
    KV_FUZZ_CHECK(name == net::LastUrlSegment(url));
    CheckPlainName(name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    if (net::IsPlainFileName(input)) CheckPlainName(input);

    const std::string segment = net::LastUrlSegment(input);
    KV_FUZZ_CHECK(segment.size() <= input.size());
    KV_FUZZ_CHECK(segment.find('/') == std::string::npos);

    CheckJoined(kAppDir, input);
    CheckJoined(kAppDir, "http://127.0.0.1:8765/files/" + std::string(input));
    CheckJoined(kAppDir, "HTTPS://h/" + std::string(input));
    // A directory without its trailing backslash joins nothing.
    KV_FUZZ_CHECK(net::UpdateFilePath("C:\\Kestravin", "http://h/" + std::string(input)).empty());
    return 0;
}
