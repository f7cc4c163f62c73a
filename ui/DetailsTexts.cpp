#include "ui/DetailsTexts.h"

#include "seam/Text.h"

namespace ui {

std::string TickedCountText(int nTicked) {
    static const std::string before = seam::Cp949FromUtf8("(정리할 항목 ");
    static const std::string after = seam::Cp949FromUtf8("개)");
    return before + std::to_string(nTicked) + after;
}

}  // namespace ui
