// The version check's message-box texts, as UTF-8. Whoever shows them
// converts them to code page 949 first (seam::Cp949FromUtf8); the boxes
// without a caption of their own take the program's name.
#pragma once

namespace net {

// The version query got no reply; an error-icon box.
inline constexpr const char* kTextConnectionError = "서버에 접속할수 없습니다.";
inline constexpr const char* kCaptionConnectionError = "접속 오류";
// The user asked and the server announces nothing newer; no icon.
inline constexpr const char* kTextAlreadyLatest = "사용 중인 케스트라빈은 이미 최신 버전입니다.";
// The user asked and the announced update could not be downloaded, or its
// name or path was refused; no icon.
inline constexpr const char* kTextDownloadFailed = "업데이트 파일을 내려받지 못했습니다.";
// The user asked and the downloaded update was not a newer release signed by
// the maker (its signature, its certificate or its version); it
// was deleted unopened; no icon.
inline constexpr const char* kTextUpdateUnsigned = "업데이트 파일이 제작사가 서명한 새 버전인지 확인할 수 없어 설치하지 않았습니다.";
// The user asked while the machine is offline; no icon.
inline constexpr const char* kTextConnectionFailed =
    "현재 서버와의 연결이 실패하였습니다. 나중에 다시 시도해주세요.";

}  // namespace net
