// The main window's own texts, in code page 949 for the ANSI calls. Each is
// converted once, on first use. The status line's texts belong to the engine
// (engine/StatusTexts.h).
#pragma once

#include <string>

#include "seam/View.h"

namespace app {

// The program's name: window title, single-instance mutex, message-box caption.
inline constexpr const char* kProgramName = "Kestravin";

// The label before a category's count on its count line.
const std::string& CountLabel(seam::Category category);
// The unit that follows the number on a count line.
const std::string& CountSuffix();
// The details link's text while nothing is analysed.
const std::string& NoAnalysisItemsText();
// The popup menu's first item while rows are pending.
const std::string& StartCleaningMenuText();

}  // namespace app
