#include "app/UpdatePrompts.h"

#include <string>

#include "app/MainTexts.h"
#include "net/UpdateTexts.h"
#include "seam/Text.h"

namespace app {

namespace {

void Show(HWND hOwner, const char* utf8Text, const std::string& caption, UINT type) {
    ::MessageBoxA(hOwner, kv::Cp949FromUtf8(utf8Text).c_str(), caption.c_str(), type);
}

}  // namespace

void CUpdatePrompts::ShowConnectionError() {
    Show(m_hOwner, kv::kTextConnectionError, kv::Cp949FromUtf8(kv::kCaptionConnectionError), MB_ICONERROR | MB_OK);
}

void CUpdatePrompts::ShowAlreadyLatest() { Show(m_hOwner, kv::kTextAlreadyLatest, kProgramName, MB_OK); }

void CUpdatePrompts::ShowConnectionFailed() {
    Show(m_hOwner, kv::kTextConnectionFailed, kProgramName, MB_OK);
}

void CUpdatePrompts::ShowDownloadFailed() { Show(m_hOwner, kv::kTextDownloadFailed, kProgramName, MB_OK); }

void CUpdatePrompts::ShowUpdateUnsigned() { Show(m_hOwner, kv::kTextUpdateUnsigned, kProgramName, MB_OK); }

}  // namespace app
