#include "app/main/UpdatePrompts.h"

#include <string>

#include "app/main/MainTexts.h"
#include "net/update/UpdateTexts.h"
#include "seam/Text.h"

namespace app {

namespace {

void Show(HWND hOwner, const char* utf8Text, const std::string& caption, UINT type) {
    ::MessageBoxA(hOwner, seam::Cp949FromUtf8(utf8Text).c_str(), caption.c_str(), type);
}

}  // namespace

void CUpdatePrompts::ShowConnectionError() {
    Show(m_hOwner, net::kTextConnectionError, seam::Cp949FromUtf8(net::kCaptionConnectionError), MB_ICONERROR | MB_OK);
}

void CUpdatePrompts::ShowAlreadyLatest() { Show(m_hOwner, net::kTextAlreadyLatest, kProgramName, MB_OK); }

void CUpdatePrompts::ShowConnectionFailed() {
    Show(m_hOwner, net::kTextConnectionFailed, kProgramName, MB_OK);
}

void CUpdatePrompts::ShowDownloadFailed() { Show(m_hOwner, net::kTextDownloadFailed, kProgramName, MB_OK); }

void CUpdatePrompts::ShowUpdateUnsigned() { Show(m_hOwner, net::kTextUpdateUnsigned, kProgramName, MB_OK); }

}  // namespace app
