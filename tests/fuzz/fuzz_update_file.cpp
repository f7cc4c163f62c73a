// The update's file name from the reply: whatever is accepted is one plain
// installer's name, and every name tried for it is one too.
#include <cstdint>
#include <string>
#include <string_view>

#include "net/update/UpdateFile.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

void CheckPlainName(std::string_view name) {
    KV_FUZZ_CHECK(!name.empty() && name.size() <= net::kMaxFileNameBytes);
    KV_FUZZ_CHECK(name.find_first_of("\\/:") == std::string_view::npos);
    KV_FUZZ_CHECK(name.find("..") == std::string_view::npos);
    KV_FUZZ_CHECK(name.back() != '.' && name.back() != ' ');
    for (unsigned char c : name) KV_FUZZ_CHECK(c >= 0x20 && c != 0x7F);
}

void CheckAnnounced(std::string_view url) {
    const std::string name = net::UpdateFileName(url);
    if (name.empty()) return;
    KV_FUZZ_CHECK(net::IsHttpUrl(url));
    KV_FUZZ_CHECK(name == net::LastUrlSegment(url));
    KV_FUZZ_CHECK(net::IsUpdateFileName(name));
    CheckPlainName(name);
    for (const std::string& candidate : net::UpdateFileCandidates(name)) {
        KV_FUZZ_CHECK(net::IsPlainFileName(candidate));
        KV_FUZZ_CHECK(candidate.size() >= 5 && (candidate.back() == 'e' || candidate.back() == 'E' ||
                                                candidate.back() == 'i' || candidate.back() == 'I'));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    if (net::IsPlainFileName(input)) CheckPlainName(input);

    const std::string segment = net::LastUrlSegment(input);
    KV_FUZZ_CHECK(segment.size() <= input.size());
    KV_FUZZ_CHECK(segment.find('/') == std::string::npos);

    CheckAnnounced(input);
    CheckAnnounced("http://127.0.0.1:8765/files/" + std::string(input));
    CheckAnnounced("HTTPS://h/" + std::string(input));
    return 0;
}
