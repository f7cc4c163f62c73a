#include "ui/DetailsTexts.h"

#include "seam/Text.h"

namespace ui {

std::string TickedCountText(int nTicked) {
    return seam::FixedCp949("(정리할 항목 ") + std::to_string(nTicked) + seam::FixedCp949("개)");
}

}  // namespace ui
