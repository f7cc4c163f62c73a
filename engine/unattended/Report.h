// The unattended run's report, as UTF-8 text with Windows line ends: one
// line per chosen category with how many traces were found (and, for a
// cleaning, cleaned), then one line per trace: every trace for an analysis,
// every trace that stayed for a cleaning, with its category code, NAME,
// REGKEY and VALUe (empty for a process or an agent, which have no other
// place than their name) and, for a stayed one, why; last, one line per
// database analysis could not read ("건너뜀", its path, why) and per file
// that stayed when its rows went ("남은 파일", its path, why). Fields are separated by
// tabs, so the file opens as a table; a control character inside a field is
// shown as '?', so every trace keeps to its one line.
#pragma once

#include <string>

#include "engine/unattended/CommandLine.h"
#include "engine/unattended/Unattended.h"

namespace engine {

std::string FormatReport(const UnattendedOutcome& outcome);

// The one line about a bad command line, with its line end.
std::string CommandErrorLine(const CommandLine& command);
// The one line about a report file that cannot be written, with its line end.
std::string ReportUnwritableLine(const std::string& utf8Path);
// The report file took its first bytes but not the whole report (a full
// disk, a share gone): the line that says so, for the console.
std::string ReportCutShortLine(const std::string& utf8Path);
// The one line that says another copy runs, with its line end.
std::string OtherCopyLine();

}  // namespace engine
