#include "app/ReportOutput.h"

#include "seam/Platform.h"
#include "seam/win32/PlainFiles.h"

namespace app {
namespace {

bool WriteAll(HANDLE h, const char* data, size_t size) {
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > 0x10000 ? 0x10000 : static_cast<DWORD>(size);
        if (!::WriteFile(h, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace

std::wstring WideFromUtf8(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], n);
    return wide;
}

std::string Utf8FromWide(const std::wstring& wide) {
    if (wide.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                        nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], n, nullptr, nullptr);
    return utf8;
}

bool CReportOutput::OpenFile(const std::wstring& path) {
    // An elevated run must not write over whatever a link named like the
    // report points at.
    if (seam::CreatePlainFile(std::u16string(path.begin(), path.end()), m_file) != seam::kErrSuccess) return false;
    static const char kBom[] = "\xEF\xBB\xBF";
    if (WriteAll(m_file.Get(), kBom, 3)) return true;
    m_file.Reset();
    return false;
}

bool CReportOutput::ToFile(const std::string& utf8) {
    return !m_file || WriteAll(m_file.Get(), utf8.data(), utf8.size());
}

void CReportOutput::ToConsole(const std::string& utf8) {
    HANDLE inherited = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (inherited && inherited != INVALID_HANDLE_VALUE && ::GetFileType(inherited) != FILE_TYPE_CHAR &&
        ::GetFileType(inherited) != FILE_TYPE_UNKNOWN) {
        WriteAll(inherited, utf8.data(), utf8.size());
        return;
    }
    if (!m_bConsoleLooked) {
        m_bConsoleLooked = true;
        if (::AttachConsole(ATTACH_PARENT_PROCESS) || ::GetLastError() == ERROR_ACCESS_DENIED) {
            m_console.Reset(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
        }
    }
    if (!m_console) return;  // started without a console: the exit code is all there is
    const std::wstring wide = WideFromUtf8(utf8);
    DWORD written = 0;
    if (!::WriteConsoleW(m_console.Get(), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) {
        WriteAll(m_console.Get(), utf8.data(), utf8.size());
    }
}

}  // namespace app
