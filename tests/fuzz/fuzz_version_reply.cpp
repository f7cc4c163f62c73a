// The version reply as the server may send it: any bytes, split into lines.
// Whatever it says, an update is only ever saved (and opened) as one plain
// file directly in the program's directory.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "net/update/UpdateFile.h"
#include "net/update/VersionCheck.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeNet.h"
#include "tests/fakes/FakeShell.h"
#include "tests/fakes/FakeTrust.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

constexpr const char* kServer = "http://fuzz.server";
constexpr const char* kAppDir = "C:\\Program Files\\Kestravin\\";

class SilentPrompts : public net::IUpdatePrompts {
public:
    void ShowConnectionError() override {}
    void ShowAlreadyLatest() override {}
    void ShowConnectionFailed() override {}
    void ShowDownloadFailed() override {}
    void ShowUpdateUnsigned() override {}
};

void CheckSavedPath(const std::string& path) {
    const std::string_view dir(kAppDir);
    KV_FUZZ_CHECK(path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0);
    KV_FUZZ_CHECK(path.size() < net::kMaxPathBytes);
    const std::string_view name = std::string_view(path).substr(dir.size());
    KV_FUZZ_CHECK(name.find_first_of("\\/:") == std::string_view::npos);
    KV_FUZZ_CHECK(name != "." && name != "..");
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
    fakes::FakeShell shell;
    fakes::FakeTrust trust{&files};
    net.SetReply(std::string(kServer) + net::kVersionQuery, lines);
    SilentPrompts prompts;
    net::CUpdateChecker checker(net, net::UpdateParts{trust, shell, files}, kAppDir, prompts);
    checker.CheckForUpdate(1, 1);

    const auto downloads = net.Downloads();
    KV_FUZZ_CHECK(downloads.size() <= 1);
    for (const auto& download : downloads) {
        CheckSavedPath(download.path);
        KV_FUZZ_CHECK(net::IsHttpUrl(download.url));
        KV_FUZZ_CHECK(download.path == kAppDir + checker.UpdateFile());
    }
    for (const auto& opened : shell.Opened()) CheckSavedPath(opened);
    if (downloads.empty()) KV_FUZZ_CHECK(shell.Opened().empty());
    // The fake serves unsigned files: none is ever opened, none is left.
    KV_FUZZ_CHECK(shell.Opened().empty());
    KV_FUZZ_CHECK(net.Files().empty());

    // The number alone: any text gives a number, and a sign never flips it.
    const int32_t number = net::VersionNumber(input);
    if (number < 0) KV_FUZZ_CHECK(input.find('-') != std::string::npos);
    return 0;
}
