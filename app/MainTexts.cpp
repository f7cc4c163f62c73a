#include "app/MainTexts.h"

#include "seam/Text.h"

namespace app {

const std::string& CountLabel(seam::Category category) {
    using seam::Cp949FromUtf8;
    static const std::string labels[seam::kCategoryCount] = {
        Cp949FromUtf8("그리드 딜리버리 : "),
        Cp949FromUtf8("프로세스 초기화 : "),
        Cp949FromUtf8("자동저장된 암호 : "),
        Cp949FromUtf8("재생 / 검색기록 : "),
    };
    return labels[category];
}

const std::string& CountSuffix() {
    static const std::string text = seam::Cp949FromUtf8("개");
    return text;
}

const std::string& NoAnalysisItemsText() {
    static const std::string text = seam::Cp949FromUtf8("분석항목이 존재하지 않습니다.");
    return text;
}

const std::string& StartCleaningMenuText() {
    static const std::string text = seam::Cp949FromUtf8("정리시작");
    return text;
}

}  // namespace app
