#include "app/UnattendedRun.h"

#include <windows.h>

#include <string>

#include "app/main/MainTexts.h"
#include "app/ReportOutput.h"
#include "engine/unattended/CommandLine.h"
#include "engine/unattended/Report.h"
#include "engine/unattended/ReportTexts.h"
#include "engine/unattended/Unattended.h"
#include "seam/win32/Win32Platform.h"
#include "win/Handles.h"

namespace app {
namespace {

int Run(const engine::CommandLine& command, CReportOutput& out) {
    if (command.mode == engine::RunMode::Usage) {
        out.ToConsole(engine::UsageText());
        return engine::kExitDone;
    }
    if (!command.reportPath.empty() && !out.OpenFile(WideFromUtf8(command.reportPath))) {
        if (command.error != engine::CommandError::None) out.ToConsole(engine::CommandErrorLine(command));
        out.ToConsole(engine::ReportUnwritableLine(command.reportPath));
        return engine::kExitNoReport;
    }
    if (command.error != engine::CommandError::None) {
        const std::string line = engine::CommandErrorLine(command);
        out.ToConsole(line);
        out.ToFile(line);
        return engine::kExitBadCommand;
    }

    // The single-instance rule of the window holds here too: beside a
    // running copy nothing is done. The mutex is held until the process ends.
    win::UniqueHandle mutex(::CreateMutexA(nullptr, FALSE, kProgramName));
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        const std::string line = engine::OtherCopyLine();
        out.ToConsole(line);
        out.ToFile(line);
        return engine::kExitOtherCopy;
    }

    seam::Win32Platform platform;
    const engine::UnattendedOutcome outcome =
        engine::RunUnattended(platform.Get(), command.categories, command.mode == engine::RunMode::Clean);
    const std::string report = engine::FormatReport(outcome);
    if (!out.HasFile()) {
        out.ToConsole(report);
        return outcome.ExitCode();
    }
    // The traces are handled either way; a report that did not reach its
    // file is a run that did not end as asked, never a success.
    if (out.ToFile(report)) return outcome.ExitCode();
    out.ToConsole(engine::ReportCutShortLine(command.reportPath));
    return engine::kExitNoReport;
}

}  // namespace

bool RunFromCommandLine(int& exitCode) {
    const engine::CommandLine command = engine::ParseCommandLine(Utf8FromWide(::GetCommandLineW()));
    if (command.mode == engine::RunMode::Window && command.error == engine::CommandError::None) return false;
    CReportOutput out;
    try {
        exitCode = Run(command, out);
    } catch (...) {
        // Nothing may escape to WinMain: Windows would show its crash box.
        const std::string line = std::string(engine::kRunBroken) + "\r\n";
        out.ToConsole(line);
        out.ToFile(line);
        exitCode = engine::kExitSomeLeft;
    }
    return true;
}

}  // namespace app
