// The version reply as the server may send it: any bytes, split into lines.
// Whatever it says, an update is only ever saved as a new file of one plain
// installer's name directly in the folder of ours, and an unsigned one is
// never started and never left.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "net/update/UpdateFile.h"
#include "net/update/VersionCheck.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeNet.h"
#include "seam/Text.h"
#include "tests/fakes/FakeTrust.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

constexpr const char* kServer = "http://fuzz.server";

class SilentPrompts : public net::IUpdatePrompts {
public:
    void ShowConnectionError() override {}
    void ShowAlreadyLatest() override {}
    void ShowConnectionFailed() override {}
    void ShowDownloadFailed() override {}
    void ShowUpdateUnsigned() override {}
};

const std::u16string kUpdateDir = u"C:\\Users\\김하늘\\AppData\\Local\\Kestravin\\Updates\\";

void CheckSavedPath(const std::u16string& path) {
    KV_FUZZ_CHECK(path.size() > kUpdateDir.size() && path.compare(0, kUpdateDir.size(), kUpdateDir) == 0);
    KV_FUZZ_CHECK(path.size() < net::kMaxPathBytes);
    const std::u16string name = path.substr(kUpdateDir.size());
    KV_FUZZ_CHECK(name.find_first_of(u"\\/:") == std::u16string::npos);
    KV_FUZZ_CHECK(net::IsUpdateFileName(seam::Cp949FromUtf16(name)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool s_env = [] { return setenv("KESTRAVIN_SERVER", kServer, 1) == 0; }();
    KV_FUZZ_CHECK(s_env);

    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = input.find('\n', start)) != std::string::npos; start = nl + 1) {
        lines.push_back(input.substr(start, nl - start));
    }
    lines.push_back(input.substr(start));

    fakes::FakeFileSystem files;
    fakes::FakeNet net{&files};
    fakes::FakeTrust trust{&files};
    const net::MakerPins pins{u"Kestravin", {std::string(64, 'A')}};
    net.SetReply(std::string(kServer) + net::kVersionQuery, lines);
    SilentPrompts prompts;
    net::CUpdateChecker checker(net, net::UpdateParts{trust, files, pins}, prompts);
    checker.CheckForUpdate(1, 1);

    const auto downloads = net.Downloads();
    KV_FUZZ_CHECK(downloads.size() <= 1);
    for (const auto& download : downloads) {
        CheckSavedPath(download.path);
        KV_FUZZ_CHECK(net::IsHttpUrl(download.url));
        KV_FUZZ_CHECK(download.path == kUpdateDir + seam::Utf16FromCp949(checker.UpdateFile()));
    }
    // The fake serves unsigned files: none is ever started, none is left.
    KV_FUZZ_CHECK(trust.Started().empty());
    KV_FUZZ_CHECK(trust.HeldCount() == 0);
    KV_FUZZ_CHECK(net.Files().empty());

    // The number alone: any text gives a number, and a sign never flips it.
    const int32_t number = net::VersionNumber(input);
    if (number < 0) KV_FUZZ_CHECK(input.find('-') != std::string::npos);
    return 0;
}
