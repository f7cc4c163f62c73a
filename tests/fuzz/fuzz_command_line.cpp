// The unattended command line as anyone may type it: any bytes. Splitting
// must give back what quoting put in, a line that parses cleanly always
// names an action with at least one category, a bad one names its fault,
// and the error line stays one line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/unattended/CommandLine.h"
#include "engine/unattended/Report.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

// The quoting that the splitting rules undo: a program's arguments as
// CreateProcess callers are told to write them.
std::string Quote(const std::string& arg) {
    std::string out = "\"";
    size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        out.append(c == '"' ? slashes * 2 + 1 : slashes, '\\');
        slashes = 0;
        if (c == '"') {
            out += "\"";
            continue;
        }
        out += c;
    }
    out.append(slashes * 2, '\\');
    return out + "\"";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string line(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> args = engine::SplitCommandLine(line);
    KV_FUZZ_CHECK(!args.empty());

    // Quoted again (the program name keeps no quote of its own), the
    // arguments split into exactly themselves.
    if (args[0].find('"') == std::string::npos) {
        std::string again = "\"" + args[0] + "\"";
        for (size_t i = 1; i < args.size(); ++i) again += " " + Quote(args[i]);
        KV_FUZZ_CHECK(engine::SplitCommandLine(again) == args);
    }

    const engine::CommandLine command = engine::ParseCommandLine(line);
    const bool bAction = command.mode == engine::RunMode::Clean || command.mode == engine::RunMode::Analyse;
    if (command.error == engine::CommandError::None) {
        KV_FUZZ_CHECK(command.errorArgument.empty());
        KV_FUZZ_CHECK((command.mode == engine::RunMode::Window) == (args.size() == 1));
        if (bAction) {
            bool bAny = false;
            for (bool chosen : command.categories) bAny = bAny || chosen;
            KV_FUZZ_CHECK(bAny);
        }
    } else {
        KV_FUZZ_CHECK(command.mode != engine::RunMode::Usage);
        KV_FUZZ_CHECK(args.size() > 1);
        // The argument named is one given, or an item of a list in one.
        bool bFound = command.errorArgument.empty() && command.error == engine::CommandError::NoAction;
        for (size_t i = 1; i < args.size() && !bFound; ++i)
            bFound = args[i].find(command.errorArgument) != std::string::npos;
        KV_FUZZ_CHECK(bFound);
        const std::string error = engine::CommandErrorLine(command);
        KV_FUZZ_CHECK(error.size() >= 2 && error.compare(error.size() - 2, 2, "\r\n") == 0);
        for (size_t i = 0; i + 2 < error.size(); ++i)
            KV_FUZZ_CHECK(static_cast<unsigned char>(error[i]) >= 0x20 && error[i] != 0x7f);
    }
    if (!command.reportPath.empty()) {
        bool bGiven = false;
        for (size_t i = 1; i < args.size() && !bGiven; ++i)
            bGiven = args[i].size() > command.reportPath.size() &&
                     args[i].compare(args[i].size() - command.reportPath.size(), std::string::npos, command.reportPath) == 0;
        KV_FUZZ_CHECK(bGiven);
    }
    return 0;
}
