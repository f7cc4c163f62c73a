#include "engine/unattended/CommandLine.h"

#include "engine/core/Categories.h"

namespace engine {
namespace {

// "C:\a" (or "C:/a") and "\\server\share\a"; not "a", "C:a" nor "\a", whose
// meaning depends on the folder or drive the run starts in.
bool IsAbsolutePath(const std::string& path) {
    const auto slash = [](char c) { return c == '\\' || c == '/'; };
    const bool letter = path.size() >= 3 && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':';
    if (letter) return slash(path[2]);
    return path.size() >= 3 && slash(path[0]) && slash(path[1]) && !slash(path[2]);
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Only ASCII letters fold: a UTF-8 byte of a path or a category code typed in
// another script must come through unchanged.
std::string FoldAscii(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return folded;
}

class Parser {
public:
    explicit Parser(CommandLine& out) : m_out(out) {}

    void Argument(const std::string& arg) {
        if (arg == "/?") {
            m_bUsage = true;
            return;
        }
        if (arg.empty() || arg[0] != '/') return Fail(CommandError::UnknownSwitch, arg);
        const size_t colon = arg.find(':');
        const std::string name = FoldAscii(std::string_view(arg).substr(1, colon == std::string::npos ? std::string::npos : colon - 1));
        const bool bHasValue = colon != std::string::npos;
        const std::string value = bHasValue ? arg.substr(colon + 1) : std::string();
        if (name == "clean" || name == "analyse") return Action(name == "clean" ? RunMode::Clean : RunMode::Analyse, arg, bHasValue, value);
        if (name == "report") return Report(arg, value);
        Fail(CommandError::UnknownSwitch, arg);
    }

    void Finish(bool bAnyArgument) {
        if (m_bUsage) {
            m_out.mode = RunMode::Usage;
            m_out.error = CommandError::None;
            m_out.errorArgument.clear();
            return;
        }
        if (bAnyArgument && !m_bAction) Fail(CommandError::NoAction, "");
    }

private:
    void Fail(CommandError error, const std::string& argument) {
        if (m_out.error != CommandError::None) return;  // the first fault is the one reported
        m_out.error = error;
        m_out.errorArgument = argument;
    }

    void Action(RunMode mode, const std::string& arg, bool bHasValue, const std::string& list) {
        if (m_bAction) return Fail(m_out.mode == mode ? CommandError::RepeatedSwitch : CommandError::TwoActions, arg);
        m_bAction = true;
        m_out.mode = mode;
        if (!bHasValue) {
            m_out.categories[seam::kRecent] = true;
            m_out.categories[seam::kRegistry] = true;
            return;
        }
        if (list.empty()) return Fail(CommandError::EmptyList, arg);
        size_t start = 0;
        for (;;) {
            const size_t comma = list.find(',', start);
            const std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
            if (item.empty()) return Fail(CommandError::EmptyList, arg);
            const CategoryEntry* entry = nullptr;
            for (const CategoryEntry& candidate : kCategoryTable) {
                if (FoldAscii(item) == FoldAscii(candidate.code)) entry = &candidate;
            }
            if (!entry) return Fail(CommandError::UnknownCategory, item);
            m_out.categories[entry->category] = true;
            if (comma == std::string::npos) return;
            start = comma + 1;
        }
    }

    void Report(const std::string& arg, const std::string& path) {
        if (m_bReport) return Fail(CommandError::RepeatedSwitch, arg);
        m_bReport = true;
        if (path.empty()) return Fail(CommandError::EmptyReportPath, arg);
        // A relative path lands wherever the run happens to start (a
        // scheduled task starts in System32): the report is never written
        // anywhere but where it was meant to be.
        if (!IsAbsolutePath(path)) return Fail(CommandError::RelativeReportPath, arg);
        m_out.reportPath = path;
    }

    CommandLine& m_out;
    bool m_bUsage = false;
    bool m_bAction = false;
    bool m_bReport = false;
};

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
    std::vector<std::string> args;
    size_t i = 0;
    const size_t n = line.size();
    // The program name takes no escapes: a quoted one ends at the next quote.
    std::string program;
    if (i < n && line[i] == '"') {
        ++i;
        while (i < n && line[i] != '"') program += line[i++];
        if (i < n) ++i;
    }
    while (i < n && !IsBlank(line[i])) program += line[i++];
    args.push_back(program);

    for (;;) {
        while (i < n && IsBlank(line[i])) ++i;
        if (i >= n) break;
        std::string arg;
        bool bQuoted = false;
        while (i < n) {
            const char c = line[i];
            if (IsBlank(c) && !bQuoted) break;
            if (c == '\\') {
                size_t slashes = 0;
                while (i < n && line[i] == '\\') ++slashes, ++i;
                if (i < n && line[i] == '"') {
                    arg.append(slashes / 2, '\\');
                    if (slashes % 2 == 1) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(slashes, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (bQuoted && i + 1 < n && line[i + 1] == '"') {
                    arg += '"';
                    i += 2;
                    continue;
                }
                bQuoted = !bQuoted;
                ++i;
                continue;
            }
            arg += c;
            ++i;
        }
        args.push_back(std::move(arg));
    }
    return args;
}

CommandLine ParseArguments(const std::vector<std::string>& args) {
    CommandLine out;
    Parser parser(out);
    for (const std::string& arg : args) parser.Argument(arg);
    parser.Finish(!args.empty());
    return out;
}

CommandLine ParseCommandLine(std::string_view commandLine) {
    std::vector<std::string> args = SplitCommandLine(commandLine);
    args.erase(args.begin());
    return ParseArguments(args);
}

}  // namespace engine
