// The details window's own texts, in code page 949 for the ANSI calls.
#pragma once

#include <string>

namespace ui {

// Beside the sentence's count: "(정리할 항목 " + ticked + "개)".
std::string TickedCountText(int nTicked);

}  // namespace ui
