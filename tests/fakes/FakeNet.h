// The network as a table of URLs. A URL with a reply answers with its lines
// (cut to the caller's byte cap, as a real body read would be); any other
// URL fails like a refused connection. Every request is recorded.
//
// A successful download creates a new file at its path in the fake file
// system it was given (none without one), never replacing one, carrying the
// release set for downloads (unsigned unless set) as FakeTrust reads it.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <mutex>
#include <string>
#include <vector>

#include "seam/Platform.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeTrust.h"

namespace fakes {

class FakeNet : public seam::INet {
public:
    struct Request {
        std::string url;
        seam::NetTimeouts timeouts;
        size_t maxBytes = 0;
    };
    struct Download {
        std::string url;
        std::u16string path;
    };

    explicit FakeNet(FakeFileSystem* files = nullptr) : m_files(files) {}
    FakeNet(const FakeNet&) = delete;
    FakeNet& operator=(const FakeNet&) = delete;

    // INet
    bool IsOnline() override;
    bool FetchLines(const std::string& url, const seam::NetTimeouts& timeouts, size_t maxBytes,
                    std::vector<std::string>& lines) override;
    long DownloadToNewFile(const std::string& url, const std::u16string& path,
                           const seam::NetTimeouts& timeouts) override;
    void DeleteCacheEntry(const std::string& url) override;

    // Test set-up.
    void SetOnline(bool online);
    void SetReply(const std::string& url, const std::vector<std::string>& lines);
    void SetFailure(const std::string& url);  // forget a reply: the URL fails again
    void SetDownloadResult(bool ok);
    // What files downloaded from now on are (FakeTrust reads it back).
    void SetDownloadRelease(const FakeRelease& release);

    // Test inspection.
    std::vector<Request> Requests() const;
    std::vector<std::string> RequestedUrls() const;
    std::vector<Download> Downloads() const;
    std::vector<std::string> CacheDeletions() const;
    // Paths of the files downloads created that are still present.
    std::vector<std::u16string> Files() const;
    int OnlineTests() const;

private:
    mutable std::mutex m_lock;
    bool m_bOnline = true;
    bool m_bDownloadOk = true;
    int m_nOnlineTests = 0;
    std::map<std::string, std::vector<std::string>> m_replies;
    std::vector<Request> m_requests;
    std::vector<Download> m_downloads;
    std::vector<std::string> m_cacheDeletions;
    FakeRelease m_release;
    FakeFileSystem* m_files;  // not owned; may be null
    std::set<std::u16string> m_downloaded;
};

}  // namespace fakes
