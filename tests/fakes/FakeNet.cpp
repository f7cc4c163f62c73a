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

long FakeNet::DownloadToNewFile(const std::string& url, const std::u16string& path, const seam::NetTimeouts&) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_downloads.push_back(Download{url, path});
    if (!m_files) return m_bDownloadOk ? seam::kErrSuccess : seam::kErrFileNotFound;
    const long created = m_files->WriteNewFile(path, m_bDownloadOk ? SignedBody(m_release) : std::string());
    if (created != seam::kErrSuccess) return created;
    if (!m_bDownloadOk) {
        // The partial body goes with the file it was written to, inside the
        // download (not through an override that logs the program's removals).
        m_files->FakeFileSystem::DeleteFile(path);
        return seam::kErrFileNotFound;
    }
    m_downloaded.insert(path);
    return seam::kErrSuccess;
}

void FakeNet::DeleteCacheEntry(const std::string& url) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_cacheDeletions.push_back(url);
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

void FakeNet::SetDownloadRelease(const FakeRelease& release) {
    std::lock_guard<std::mutex> hold(m_lock);
    m_release = release;
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

std::vector<std::u16string> FakeNet::Files() const {
    std::lock_guard<std::mutex> hold(m_lock);
    std::vector<std::u16string> paths;
    for (const auto& path : m_downloaded) {
        if (m_files->Exists(path)) paths.push_back(path);
    }
    return paths;
}

int FakeNet::OnlineTests() const {
    std::lock_guard<std::mutex> hold(m_lock);
    return m_nOnlineTests;
}

}  // namespace fakes
