#include "engine/core/StatusTexts.h"

#include <cstdio>

#include "seam/Text.h"

namespace engine {
namespace {

constexpr const char* kWaiting = "분석대기 : 0%";
constexpr const char* kNoItems = "분석완료(100%) : 분석항목이 존재하지 않습니다.";
constexpr const char* kCleanPrompt = "분석완료(100%) : 정리시작을 통해서 PC를 정리하세요.";
constexpr const char* kCleanDone = "분석정리(100%) : 분석정리를 성공적으로 완료하였습니다.";
// printf format: %d is the number of traces left in place.
constexpr const char* kCleanFailed = "분석정리(100%%) : %d개 항목을 정리하지 못했습니다.";
// Short enough for the status line (400 pixels of 12-pixel Gulim).
constexpr const char* kCleanBrowserOpen = "분석정리(100%%) : %d개 항목은 브라우저를 닫고 다시 정리하세요.";
// printf formats: %d files, %s the first one's name (at most 400 pixels
// with the longest name a browser gives its files).
constexpr const char* kAnalysedTooLarge = "분석완료(100%%) : 너무 큰 파일 %d개(%s) 건너뜀";
constexpr const char* kAnalysedUnread = "분석완료(100%%) : 읽지 못한 곳 %d개(%s)";
constexpr const char* kCleanFilesLeft = "분석정리(100%%) : 파일 %d개(%s) 남음";

}  // namespace

const std::string& StatusWaiting() { return seam::FixedCp949(kWaiting); }
const std::string& StatusNoItems() { return seam::FixedCp949(kNoItems); }
const std::string& StatusCleanPrompt() { return seam::FixedCp949(kCleanPrompt); }
const std::string& StatusCleanDone() { return seam::FixedCp949(kCleanDone); }

namespace {

std::string WithCount(const char* format, int failed) {
    char text[256];
    std::snprintf(text, sizeof text, seam::FixedCp949(format).c_str(), failed);
    return text;
}

std::string WithFiles(const char* format, int files, const std::u16string& firstPath) {
    const size_t slash = firstPath.find_last_of(u'\\');
    const std::string name = seam::Cp949FromUtf16(slash == std::u16string::npos ? firstPath : firstPath.substr(slash + 1));
    char text[512];
    std::snprintf(text, sizeof text, seam::FixedCp949(format).c_str(), files, name.c_str());
    return text;
}

}  // namespace

std::string StatusCleanFailed(int failed) { return WithCount(kCleanFailed, failed); }
std::string StatusCleanBrowserOpen(int failed) { return WithCount(kCleanBrowserOpen, failed); }
std::string StatusAnalysedTooLarge(int files, const std::u16string& firstPath) {
    return WithFiles(kAnalysedTooLarge, files, firstPath);
}
std::string StatusAnalysedUnread(int places, const std::u16string& firstPath) {
    return WithFiles(kAnalysedUnread, places, firstPath);
}

std::string StatusCleanFilesLeft(int files, const std::u16string& firstPath) {
    return WithFiles(kCleanFilesLeft, files, firstPath);
}

}  // namespace engine
