#include "tests/fakes/FakeNet.h"

namespace fakes {

bool FakeNet::IsOnline() {
    std::lock_guard<std::mutex> hold(m_lock);
    ++m_nOnlineTests;
    return m_bOnline;
}

bool FakeNet::FetchLines(const std::string& url, const seam::NetTimeouts& timeouts, size_t maxBytes,
                         std::vector<std::string>& lines) {
    std::lock_guard<std::mutex> hold(m_lock);
    lines.clear();
    m_requests.push_back(Request{url, timeouts, maxBytes});
    auto it = m_replies.find(url);
    if (it == m_replies.end()) return false;

    std::string body;
    for (const auto& line : it->second) body += line + "\n";
    if (body.size() > maxBytes) body.resize(maxBytes);
    size_t start = 0;
    while (start < body.size()) {
        size_t end = body.find('\n', start);
        if (end == std::string::npos) end = body.size();
        lines.push_back(body.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

bool FakeNet::DownloadToFile(const std::string& url, const std::string& path, const seam::NetTimeouts&) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_downloads.push_back(Download{url, path});
    if (m_bDownloadOk) m_files[path] = m_downloadSignature;
    return m_bDownloadOk;
}

void FakeNet::DeleteCacheEntry(const std::string& url) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_cacheDeletions.push_back(url);
}

bool FakeNet::ShellOpen(const std::string& target) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_shellOpened.push_back(target);
    return m_bShellOpenOk;
}

bool FakeNet::IsSignedBy(const std::string& path, const std::string& publisher) {
    std::lock_guard<std::mutex> hold(m_lock);
    auto it = m_files.find(path);
    return it != m_files.end() && it->second.intact && !it->second.signer.empty() &&
           it->second.signer == publisher;
}

bool FakeNet::RemoveFile(const std::string& path) {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_files.erase(path) == 1;
}

void FakeNet::SetOnline(bool online) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_bOnline = online;
}

void FakeNet::SetReply(const std::string& url, const std::vector<std::string>& lines) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_replies[url] = lines;
}

void FakeNet::SetFailure(const std::string& url) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_replies.erase(url);
}

void FakeNet::SetDownloadResult(bool ok) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_bDownloadOk = ok;
}

void FakeNet::SetDownloadSignature(const std::string& signer, bool intact) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_downloadSignature = Signature{signer, intact};
}

void FakeNet::SetShellOpenResult(bool ok) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_bShellOpenOk = ok;
}

std::vector<FakeNet::Request> FakeNet::Requests() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_requests;
}

std::vector<std::string> FakeNet::RequestedUrls() const {
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<std::string> urls;
    for (const auto& r : m_requests) urls.push_back(r.url);
    return urls;
}

std::vector<FakeNet::Download> FakeNet::Downloads() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_downloads;
}

std::vector<std::string> FakeNet::CacheDeletions() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_cacheDeletions;
}

std::vector<std::string> FakeNet::ShellOpened() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_shellOpened;
}

std::vector<std::string> FakeNet::Files() const {
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<std::string> paths;
    for (const auto& file : m_files) paths.push_back(file.first);
    return paths;
}

int FakeNet::OnlineTests() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nOnlineTests;
}

}  // namespace fakes
