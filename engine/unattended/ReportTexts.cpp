#include "engine/unattended/ReportTexts.h"

namespace engine {

const char* ReasonText(RowFate why) {
    switch (why) {
        case RowFate::Denied: return "접근 거부";
        case RowFate::Ambiguous: return "구별할 수 없는 이름";
        case RowFate::StillRunning: return "아직 실행 중";
        case RowFate::InUse: return "다른 프로그램이 사용 중";
        case RowFate::BrowserRunning: return "브라우저 실행 중";
        case RowFate::Linked: return "링크를 거쳐 있어 건드리지 않음";
        case RowFate::Removed:
        case RowFate::AlreadyGone:
        case RowFate::Skipped:
        case RowFate::StillThere: break;
    }
    return "지운 뒤에도 남아 있음";
}

const char* CommandErrorText(CommandError error) {
    switch (error) {
        case CommandError::None: return "";
        case CommandError::UnknownSwitch: return "알 수 없는 스위치";
        case CommandError::UnknownCategory: return "알 수 없는 분류";
        case CommandError::EmptyList: return "빈 분류 목록";
        case CommandError::EmptyReportPath: return "보고서 파일 이름이 없음";
        case CommandError::RelativeReportPath: return "보고서 파일은 전체 경로로 써야 함";
        case CommandError::RepeatedSwitch: return "같은 스위치를 두 번 씀";
        case CommandError::TwoActions: return "/clean과 /analyse를 함께 씀";
        case CommandError::NoAction: return "/clean이나 /analyse가 없음";
    }
    return "";
}


const char* UsageText() {
    return "사용법: Kestravin.exe /clean[:분류] [/report:파일]\r\n"
           "        Kestravin.exe /analyse[:분류] [/report:파일]\r\n"
           "  /clean     창 없이 분석하고 찾은 흔적을 정리합니다.\r\n"
           "  /analyse   창 없이 분석만 하고 아무것도 지우지 않습니다.\r\n"
           "  분류       RECENT, REGISTRY, PROCESS, GRID를 쉼표로 구분 (대소문자 무관).\r\n"
           "             없으면 RECENT,REGISTRY.\r\n"
           "  /report    보고서를 그 파일에 UTF-8로 씁니다. 없으면 실행한 콘솔에 씁니다.\r\n"
           "종료 코드: 0 모두 정리함 (/analyse: 모두 나열함), 1 일부를 정리하지 못함,\r\n"
           "           2 잘못된 명령줄, 3 다른 Kestravin이 실행 중.\r\n";
}

}  // namespace engine
