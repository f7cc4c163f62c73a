// HTTP through WinINet's request handles (InternetConnect + HttpOpenRequest),
// not InternetOpenUrl: under Wine only a time-out set on the request handle
// bounds a server that accepts and never answers, so the bounds go on the
// session, the connection and the request alike.
#include <windows.h>
#include <wininet.h>

#include <cstddef>
#include <string>
#include <vector>

#include "seam/win32/Win32Parts.h"
#include "win/Handles.h"

namespace seam {
namespace {

constexpr const char* kAgent = "Kestravin";
constexpr DWORD kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_UI;
// A download has no length bound of its own; these keep a server that
// trickles forever, or without end, from holding the caller for good.
constexpr DWORD kDownloadDeadlineMs = 10 * 60 * 1000;
constexpr size_t kDownloadMaxBytes = 256u * 1024 * 1024;

void SetTimeouts(HINTERNET h, const NetTimeouts& t) {
    DWORD connect = t.connectMs;
    DWORD receive = t.receiveMs;
    ::InternetSetOptionA(h, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    ::InternetSetOptionA(h, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    ::InternetSetOptionA(h, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof receive);
}

struct UrlParts {
    std::string host;
    std::string object;  // path and query, as sent in the request line
    INTERNET_PORT port = 0;
    bool secure = false;
};

bool CrackUrl(const std::string& url, UrlParts& out) {
    char host[INTERNET_MAX_HOST_NAME_LENGTH + 1] = {};
    std::vector<char> path(url.size() + 1);
    std::vector<char> extra(url.size() + 1);
    URL_COMPONENTSA parts;
    ZeroMemory(&parts, sizeof parts);
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path.data();
    parts.dwUrlPathLength = static_cast<DWORD>(path.size());
    parts.lpszExtraInfo = extra.data();
    parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
    if (!::InternetCrackUrlA(url.c_str(), 0, 0, &parts)) return false;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return false;
    out.host = host;
    out.object = std::string(path.data()) + extra.data();
    if (out.object.empty()) out.object = "/";
    out.port = parts.nPort;
    out.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return !out.host.empty();
}

// One GET exchange. Members close in reverse order: request, connection, session.
class Exchange {
public:
    // True when the server answered with a status line and headers.
    bool Send(const std::string& url, const NetTimeouts& timeouts) {
        UrlParts parts;
        if (!CrackUrl(url, parts)) return false;
        m_session.Reset(::InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
        if (!m_session) return false;
        SetTimeouts(m_session.Get(), timeouts);
        m_connection.Reset(::InternetConnectA(m_session.Get(), parts.host.c_str(), parts.port, nullptr,
                                              nullptr, INTERNET_SERVICE_HTTP, 0, 0));
        if (!m_connection) return false;
        SetTimeouts(m_connection.Get(), timeouts);
        DWORD flags = kRequestFlags | (parts.secure ? INTERNET_FLAG_SECURE : 0);
        m_request.Reset(::HttpOpenRequestA(m_connection.Get(), "GET", parts.object.c_str(), nullptr,
                                           nullptr, nullptr, flags, 0));
        if (!m_request) return false;
        SetTimeouts(m_request.Get(), timeouts);
        if (!::HttpSendRequestA(m_request.Get(), nullptr, 0, nullptr, 0)) return false;
        // Wine's WinINet reports a connection reset before any reply as a
        // sent request without a status line (status 0), where Windows fails.
        return Status() != 0;
    }

    DWORD Status() const { return QueryNumber(HTTP_QUERY_STATUS_CODE); }
    // The announced body length; `known` is false when the reply gave none.
    DWORD ContentLength(bool& known) const {
        DWORD value = 0;
        DWORD size = sizeof value;
        known = ::HttpQueryInfoA(m_request.Get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER,
                                 &value, &size, nullptr) != FALSE;
        return value;
    }

    enum class Body { Complete, Capped, Failed };

    // Hands the body to `sink` chunk by chunk. Stops with Capped once
    // `maxBytes` are delivered (the last chunk trimmed) and with Failed on a
    // read error, a time-out or when `deadlineMs` has passed since `startTick`.
    template <typename Sink>
    Body Read(size_t maxBytes, DWORD startTick, DWORD deadlineMs, Sink sink) {
        char buf[4096];
        size_t total = 0;
        for (;;) {
            if (total >= maxBytes) return Body::Capped;
            if (::GetTickCount() - startTick > deadlineMs) return Body::Failed;
            // A read of a full buffer would wait for the buffer to fill, past
            // the deadline; ask for no more than has arrived.
            DWORD ready = 0;
            if (!::InternetQueryDataAvailable(m_request.Get(), &ready, 0, 0)) return Body::Failed;
            if (ready == 0) return Body::Complete;
            DWORD got = 0;
            DWORD want = ready < sizeof buf ? ready : static_cast<DWORD>(sizeof buf);
            if (!::InternetReadFile(m_request.Get(), buf, want, &got)) return Body::Failed;
            if (got == 0) return Body::Complete;
            size_t take = got;
            if (take > maxBytes - total) take = maxBytes - total;
            if (!sink(buf, take)) return Body::Failed;
            total += take;
        }
    }

private:
    DWORD QueryNumber(DWORD info) const {
        DWORD value = 0;
        DWORD size = sizeof value;
        if (!::HttpQueryInfoA(m_request.Get(), info | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr))
            return 0;
        return value;
    }

    win::UniqueInternetHandle m_session;
    win::UniqueInternetHandle m_connection;
    win::UniqueInternetHandle m_request;
};

// Lines end at "\n"; a "\r" anywhere is dropped; a last line without its
// "\n" still counts.
std::vector<std::string> SplitLines(const std::string& body) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : body) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (c != '\r') {
            line.push_back(c);
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// A file this download created (CREATE_NEW: never one that was there),
// removed again unless Keep() is called. No other process may open it while
// the body arrives.
class NewFile {
public:
    explicit NewFile(const std::u16string& path) : m_path(path.begin(), path.end()) {
        m_file.Reset(::CreateFileW(m_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        m_error = m_file ? ERROR_SUCCESS : ::GetLastError();
    }
    ~NewFile() {
        m_file.Reset();
        if (m_error == ERROR_SUCCESS && !m_bKept) ::DeleteFileW(m_path.c_str());
    }
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // ERROR_SUCCESS once created; ERROR_FILE_EXISTS when the name was taken.
    DWORD Error() const { return m_error; }
    bool Write(const char* data, size_t size) {
        DWORD written = 0;
        return ::WriteFile(m_file.Get(), data, static_cast<DWORD>(size), &written, nullptr) &&
               written == size;
    }
    bool Keep() {
        m_bKept = ::FlushFileBuffers(m_file.Get()) != FALSE;
        m_file.Reset();
        return m_bKept;
    }

private:
    std::wstring m_path;
    win::UniqueFileHandle m_file;
    DWORD m_error = ERROR_SUCCESS;
    bool m_bKept = false;
};

class Win32Net final : public INet {
public:
    bool IsOnline() override {
        DWORD flags = 0;
        return ::InternetGetConnectedState(&flags, 0) == 1;
    }

    bool FetchLines(const std::string& url, const NetTimeouts& timeouts, size_t maxBytes,
                    std::vector<std::string>& lines) override {
        lines.clear();
        DWORD start = ::GetTickCount();
        Exchange exchange;
        if (!exchange.Send(url, timeouts)) return false;
        std::string body;
        // A server that trickles its reply is cut off as one that stalls.
        DWORD deadline = timeouts.connectMs + 2 * timeouts.receiveMs;
        auto result = exchange.Read(maxBytes, start, deadline, [&](const char* data, size_t size) {
            body.append(data, size);
            return true;
        });
        if (result == Exchange::Body::Failed) return false;
        lines = SplitLines(body);
        return true;
    }

    long DownloadToNewFile(const std::string& url, const std::u16string& path,
                           const NetTimeouts& timeouts) override {
        DWORD start = ::GetTickCount();
        Exchange exchange;
        if (!exchange.Send(url, timeouts)) return ERROR_INTERNET_CANNOT_CONNECT;
        // An error page is no update file.
        DWORD status = exchange.Status();
        if (status < 200 || status > 299) return ERROR_FILE_NOT_FOUND;
        NewFile file(path);
        if (file.Error() != ERROR_SUCCESS) return static_cast<long>(file.Error());
        size_t received = 0;
        auto result = exchange.Read(kDownloadMaxBytes, start, kDownloadDeadlineMs,
                                    [&](const char* data, size_t size) {
                                        received += size;
                                        return file.Write(data, size);
                                    });
        if (result != Exchange::Body::Complete) return ERROR_INTERNET_CONNECTION_RESET;
        // A connection closed early can look like a normal end of body.
        bool known = false;
        DWORD expected = exchange.ContentLength(known);
        if (known && expected != received) return ERROR_INTERNET_CONNECTION_RESET;
        return file.Keep() ? long{kErrSuccess} : static_cast<long>(::GetLastError());
    }

    void DeleteCacheEntry(const std::string& url) override { ::DeleteUrlCacheEntryA(url.c_str()); }
};

}  // namespace

std::unique_ptr<INet> MakeWin32Net() { return std::make_unique<Win32Net>(); }

}  // namespace seam
