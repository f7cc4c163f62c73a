// The unattended command line: Windows' splitting rules, the switches, the
// category lists and every kind of bad input, each with the argument named.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/unattended/CommandLine.h"

namespace engine {
namespace {

using Args = std::vector<std::string>;

std::vector<seam::Category> Chosen(const CommandLine& c) {
    std::vector<seam::Category> chosen;
    for (int i = 0; i < seam::kCategoryCount; ++i)
        if (c.categories[i]) chosen.push_back(static_cast<seam::Category>(i));
    return chosen;
}

TEST(CommandLineSplit, FollowsTheWindowsQuotingRules) {
    EXPECT_EQ((Args{"Kestravin.exe"}), SplitCommandLine("Kestravin.exe"));
    EXPECT_EQ((Args{"C:\\Program Files\\Kestravin\\Kestravin.exe", "/clean"}),
              SplitCommandLine("\"C:\\Program Files\\Kestravin\\Kestravin.exe\" /clean"));
    // The program name keeps its backslashes, even before its closing quote.
    EXPECT_EQ((Args{"C:\\dir\\", "/analyse"}), SplitCommandLine("\"C:\\dir\\\" /analyse"));
    EXPECT_EQ((Args{"k.exe", "/report:C:\\My Reports\\out.txt", "/clean"}),
              SplitCommandLine("k.exe \"/report:C:\\My Reports\\out.txt\"\t  /clean  "));
    EXPECT_EQ((Args{"k.exe", "/report:C:\\a b\\"}), SplitCommandLine("k.exe /report:\"C:\\a b\\\\\""));
    EXPECT_EQ((Args{"k.exe", "a\\\\b", "x\"y", "\\\"", ""}),
              SplitCommandLine("k.exe a\\\\b x\\\"y \\\\\\\" \"\""));
    EXPECT_EQ((Args{"k.exe", "say \"hi\""}), SplitCommandLine("k.exe \"say \"\"hi\"\"\""));
    EXPECT_EQ((Args{"k.exe", "open"}), SplitCommandLine("k.exe \"open"));
    EXPECT_EQ((Args{""}), SplitCommandLine(""));
}

TEST(CommandLineParse, NoArgumentsIsTheWindow) {
    for (const char* line : {"Kestravin.exe", "\"C:\\K\\Kestravin.exe\"   ", "k.exe\t"}) {
        const CommandLine c = ParseCommandLine(line);
        EXPECT_EQ(RunMode::Window, c.mode) << line;
        EXPECT_EQ(CommandError::None, c.error) << line;
    }
}

TEST(CommandLineParse, ActionsWithDefaultAndNamedCategories) {
    CommandLine c = ParseCommandLine("k.exe /clean");
    EXPECT_EQ(RunMode::Clean, c.mode);
    EXPECT_EQ(CommandError::None, c.error);
    EXPECT_EQ((std::vector<seam::Category>{seam::kRegistry, seam::kRecent}), Chosen(c));
    EXPECT_TRUE(c.reportPath.empty());

    c = ParseCommandLine("k.exe /ANALYSE:process,Grid /Report:C:\\r.txt");
    EXPECT_EQ(RunMode::Analyse, c.mode);
    EXPECT_EQ(CommandError::None, c.error);
    EXPECT_EQ((std::vector<seam::Category>{seam::kGrid, seam::kProcess}), Chosen(c));
    EXPECT_EQ("C:\\r.txt", c.reportPath);

    // A category named twice is simply chosen; the report may come first.
    c = ParseCommandLine("k.exe /report:\"C:\\보고서\\오늘.txt\" /Clean:recent,RECENT,GRID,registry,PROCESS");
    EXPECT_EQ(RunMode::Clean, c.mode);
    EXPECT_EQ(CommandError::None, c.error);
    EXPECT_EQ((std::vector<seam::Category>{seam::kGrid, seam::kProcess, seam::kRegistry, seam::kRecent}), Chosen(c));
    EXPECT_EQ("C:\\보고서\\오늘.txt", c.reportPath);
}

TEST(CommandLineParse, FullReportPathsOfEveryForm) {
    for (const char* path : {"C:\\r.txt", "c:/logs/r.txt", "\\\\server\\share\\r.txt", "//server/share/r.txt"}) {
        const CommandLine c = ParseCommandLine(std::string("k.exe /clean /report:") + path);
        EXPECT_EQ(CommandError::None, c.error) << path;
        EXPECT_EQ(path, c.reportPath);
    }
}

TEST(CommandLineParse, UsageWinsOverEverythingElse) {
    for (const char* line : {"k.exe /?", "k.exe /clean /?", "k.exe /? /bogus", "k.exe /clean:NOPE /report: /?"}) {
        const CommandLine c = ParseCommandLine(line);
        EXPECT_EQ(RunMode::Usage, c.mode) << line;
        EXPECT_EQ(CommandError::None, c.error) << line;
    }
}

TEST(CommandLineParse, EveryBadLineSaysWhatWasWrong) {
    struct Case {
        const char* line;
        CommandError error;
        const char* argument;
    };
    const Case cases[] = {
        {"k.exe /cleanup", CommandError::UnknownSwitch, "/cleanup"},
        {"k.exe /analyze", CommandError::UnknownSwitch, "/analyze"},
        {"k.exe -clean", CommandError::UnknownSwitch, "-clean"},
        {"k.exe clean", CommandError::UnknownSwitch, "clean"},
        {"k.exe /clean \"\"", CommandError::UnknownSwitch, ""},
        {"k.exe /", CommandError::UnknownSwitch, "/"},
        {"k.exe /clean:RECENT,HISTORY", CommandError::UnknownCategory, "HISTORY"},
        {"k.exe /clean:RECENT;GRID", CommandError::UnknownCategory, "RECENT;GRID"},
        {"k.exe /clean:\" RECENT\"", CommandError::UnknownCategory, " RECENT"},
        {"k.exe /clean:", CommandError::EmptyList, "/clean:"},
        {"k.exe /analyse:RECENT,", CommandError::EmptyList, "/analyse:RECENT,"},
        {"k.exe /analyse:,GRID", CommandError::EmptyList, "/analyse:,GRID"},
        {"k.exe /clean:RECENT,,GRID", CommandError::EmptyList, "/clean:RECENT,,GRID"},
        {"k.exe /clean /report:", CommandError::EmptyReportPath, "/report:"},
        {"k.exe /clean /report", CommandError::EmptyReportPath, "/report"},
        {"k.exe /clean /clean:GRID", CommandError::RepeatedSwitch, "/clean:GRID"},
        {"k.exe /clean /report:C:\\a /report:C:\\b", CommandError::RepeatedSwitch, "/report:C:\\b"},
        // A report lands only where it was meant to, never in the folder a
        // scheduled task happens to start in.
        {"k.exe /clean /report:r.txt", CommandError::RelativeReportPath, "/report:r.txt"},
        {"k.exe /clean /report:.\\r.txt", CommandError::RelativeReportPath, "/report:.\\r.txt"},
        {"k.exe /clean /report:C:r.txt", CommandError::RelativeReportPath, "/report:C:r.txt"},
        {"k.exe /clean /report:\\r.txt", CommandError::RelativeReportPath, "/report:\\r.txt"},
        {"k.exe /clean /report:\\\\\\r.txt", CommandError::RelativeReportPath, "/report:\\\\\\r.txt"},
        {"k.exe /clean /report:1:\\r.txt", CommandError::RelativeReportPath, "/report:1:\\r.txt"},
        {"k.exe /clean /analyse", CommandError::TwoActions, "/analyse"},
        {"k.exe /report:C:\\r.txt", CommandError::NoAction, ""},
    };
    for (const Case& c : cases) {
        const CommandLine parsed = ParseCommandLine(c.line);
        EXPECT_EQ(c.error, parsed.error) << c.line;
        EXPECT_EQ(c.argument, parsed.errorArgument) << c.line;
    }
}

TEST(CommandLineParse, TheFirstFaultIsReportedAndTheReportPathKept) {
    // The report path after a bad argument is still known, so the error can go there too.
    CommandLine c = ParseCommandLine("k.exe /clean:FOO /bogus /report:C:\\r.txt");
    EXPECT_EQ(CommandError::UnknownCategory, c.error);
    EXPECT_EQ("FOO", c.errorArgument);
    EXPECT_EQ("C:\\r.txt", c.reportPath);
    EXPECT_EQ(RunMode::Clean, c.mode);

    c = ParseCommandLine("k.exe /bogus");
    EXPECT_EQ(CommandError::UnknownSwitch, c.error);
    EXPECT_EQ(RunMode::Window, c.mode);
}

}  // namespace
}  // namespace engine
