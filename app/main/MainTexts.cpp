#include "app/main/MainTexts.h"

#include "seam/Text.h"

namespace app {

namespace {

constexpr const char* kCountLabels[seam::kCategoryCount] = {
    "그리드 딜리버리 : ",
    "프로세스 초기화 : ",
    "자동저장된 암호 : ",
    "재생 / 검색기록 : ",
};

}  // namespace

const std::string& CountLabel(seam::Category category) { return seam::FixedCp949(kCountLabels[category]); }
const std::string& CountSuffix() { return seam::FixedCp949("개"); }
const std::string& NoAnalysisItemsText() { return seam::FixedCp949("분석항목이 존재하지 않습니다."); }
const std::string& StartCleaningMenuText() { return seam::FixedCp949("정리시작"); }

}  // namespace app
