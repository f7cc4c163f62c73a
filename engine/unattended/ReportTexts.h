// The texts of an unattended run's report, usage and error lines. Unlike the
// window's texts these stay UTF-8: the report file is UTF-8, and the console
// is written in UTF-16.
#pragma once

#include "engine/unattended/CommandLine.h"
#include "engine/core/Categories.h"

namespace engine {

// Leads an analysed trace's line and names a category's found count.
inline constexpr const char* kFoundWord = "발견";
// Names a category's cleaned count.
inline constexpr const char* kCleanedWord = "정리";
// Leads the line of a trace that stayed.
inline constexpr const char* kNotCleanedWord = "정리 못함";
// Leads the line of a database analysis did not read, and says why.
inline constexpr const char* kSkippedWord = "건너뜀";
inline constexpr const char* kTooLargeText = "너무 큰 파일";
inline constexpr const char* kUnreadableText = "읽을 수 없음";
// Leads the line of a file that stayed when the rows it goes with went.
inline constexpr const char* kFileLeftWord = "남은 파일";
// Leads every line about a bad command line.
inline constexpr const char* kBadCommandLead = "잘못된 명령줄";
// The report file could not be written; its path follows.
inline constexpr const char* kReportUnwritable = "보고서 파일에 쓸 수 없음";
// The run stopped on an unexpected failure; what it did so far stays done.
inline constexpr const char* kRunBroken = "예기치 못한 오류로 중단되었습니다.";
// Another copy runs, so nothing was done.
inline constexpr const char* kOtherCopy = "다른 Kestravin이 실행 중이어서 아무것도 하지 않았습니다.";

// Why a trace stayed, for a row the cleaning pass left.
const char* ReasonText(RowFate why);
// What was wrong with a command line; the argument at fault follows it.
const char* CommandErrorText(CommandError error);
// The /? text, lines ending in "\r\n".
const char* UsageText();

}  // namespace engine
