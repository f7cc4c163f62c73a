#include "engine/unattended/Report.h"

#include "engine/core/Categories.h"
#include "engine/unattended/ReportTexts.h"
#include "engine/core/ValueText.h"
#include "seam/Text.h"

namespace engine {
namespace {

constexpr const char* kLineEnd = "\r\n";
// The order an administrator names them in: the default two first.
constexpr seam::Category kReportOrder[seam::kCategoryCount] = {seam::kRecent, seam::kRegistry, seam::kProcess,
                                                               seam::kGrid};

// Control characters (a tab or line end in a registry name, say) shown as
// '?', so that a text keeps to its field and its line.
std::string Printable(std::string text) {
    for (char& c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) c = '?';
    }
    return text;
}

// A list text (code page 949) as one UTF-8 field.
std::string Field(const std::string& cp949) { return Printable(seam::Utf8FromCp949(cp949)); }

std::string TraceFields(const seam::TraceItem& row) {
    return row.Code() + "\t" + Field(ShownText(row, seam::kColName)) + "\t" +
           Field(ShownText(row, seam::kColRegKey)) + "\t" + Field(ShownText(row, seam::kColValue));
}

}  // namespace

std::string FormatReport(const UnattendedOutcome& outcome) {
    std::string report;
    for (seam::Category c : kReportOrder) {
        if (!outcome.chosen[c]) continue;
        report += std::string(CodeOf(c)) + ": " + kFoundWord + " " + std::to_string(outcome.found[c]);
        if (outcome.bClean) report += std::string(", ") + kCleanedWord + " " + std::to_string(outcome.cleaned[c]);
        report += kLineEnd;
    }
    for (const seam::TraceItem& row : outcome.listed) report += std::string(kFoundWord) + "\t" + TraceFields(row) + kLineEnd;
    for (const LeftTrace& trace : outcome.left)
        report += std::string(kNotCleanedWord) + "\t" + TraceFields(trace.row) + "\t" + ReasonText(trace.why) + kLineEnd;
    for (const PassNote& note : outcome.notes) {
        const std::string path = Printable(seam::Utf8FromUtf16(note.path));
        if (note.kind == NoteKind::TooLarge) {
            report += std::string(kSkippedWord) + "\t" + path + "\t" + kTooLargeText + kLineEnd;
        } else if (note.kind == NoteKind::Unreadable) {
            const char* why = note.why == RowFate::StillThere ? kUnreadableText : ReasonText(note.why);
            report += std::string(kSkippedWord) + "\t" + path + "\t" + why + kLineEnd;
        } else {
            report += std::string(kFileLeftWord) + "\t" + path + "\t" + ReasonText(note.why) + kLineEnd;
        }
    }
    return report;
}

std::string CommandErrorLine(const CommandLine& command) {
    std::string line = std::string(kBadCommandLead) + ": " + CommandErrorText(command.error);
    if (!command.errorArgument.empty()) line += ": " + command.errorArgument;
    return Printable(line) + kLineEnd;
}

std::string ReportCutShortLine(const std::string& utf8Path) {
    return Printable(std::string(kReportUnwritable) + ": " + utf8Path) + kLineEnd;
}

std::string ReportUnwritableLine(const std::string& utf8Path) {
    return Printable(std::string(kBadCommandLead) + ": " + kReportUnwritable + ": " + utf8Path) + kLineEnd;
}

std::string OtherCopyLine() { return std::string(kOtherCopy) + kLineEnd; }

}  // namespace engine
