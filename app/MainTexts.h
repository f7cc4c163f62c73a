// The main window's own texts, in code page 949 for the ANSI calls. Each is
// converted once, on first use. The status line's texts belong to the engine
// (engine/StatusTexts.h).
#pragma once

#include <string>

#include "seam/View.h"

namespace app {

// The program's name: window title, single-instance mutex, message-box caption.
inline constexpr const char* kProgramName = "Kestravin";

// The label of a category's count line, e.g. "그리드 딜리버리 : ".
const std::string& CountLabel(kv::Category category);
// What follows the number on a count line: "개".
const std::string& CountSuffix();
// The details link with nothing analysed: "분석항목이 존재하지 않습니다.".
const std::string& NoAnalysisItemsText();
// The popup menu's first item while rows are pending: "정리시작".
const std::string& StartCleaningMenuText();

}  // namespace app
