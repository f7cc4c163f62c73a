#include "net/update/VersionCheck.h"

#include <limits>
#include <utility>
#include <vector>

#include "net/Server.h"
#include "net/update/UpdateFile.h"
#include "net/UsageCount.h"
#include "seam/Text.h"

namespace net {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

int32_t VersionNumber(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool bNegative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) bNegative = text[i++] == '-';

    // Accumulated as a magnitude in 64 bits and clamped on every digit, so no
    // number of digits can overflow.
    const int64_t limit = bNegative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                    : std::numeric_limits<int32_t>::max();
    int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > limit) magnitude = limit;
    }
    return static_cast<int32_t>(bNegative ? -magnitude : magnitude);
}

CUpdateChecker::CUpdateChecker(seam::INet& net, const UpdateParts& update, std::string strAppDir,
                               IUpdatePrompts& prompts)
    : m_net(net), m_update(update), m_prompts(prompts), m_strAppDir(std::move(strAppDir)) {}

void CUpdateChecker::FetchServerReply(const std::string& url) {
    std::vector<std::string> lines;
    if (!m_net.FetchLines(url, kVersionTimeouts, kVersionReplyCap, lines)) {
        m_prompts.ShowConnectionError();
        return;
    }
    if (lines.empty()) return;
    std::string joined;
    for (const auto& line : lines) joined += line;
    m_strServerReply = std::move(joined);
}

void CUpdateChecker::CheckForUpdate(bool bReportLatest, int bOnline) {
    FetchServerReply(ServerUrl(kVersionQuery));
    SplitReply();
    if (VersionNumber(m_strVersion) < VersionNumber(m_strLatestVersion)) {
        FetchUpdate(bReportLatest);
        return;
    }
    if (bReportLatest && bOnline == 1) m_prompts.ShowAlreadyLatest();
}

void CUpdateChecker::SplitReply() {
    const size_t hash = m_strServerReply.find('#');
    if (hash == std::string::npos) {
        m_strLatestVersion.clear();
        m_strUpdateUrl = m_strServerReply;
        return;
    }
    m_strLatestVersion = m_strServerReply.substr(0, hash);
    m_strUpdateUrl = m_strServerReply.substr(hash + 1);
}

// The program keeps running after it has opened the update; the installer
// is left to replace it. Whoever answers in the server's place (a hostile
// network, a poisoned name lookup) can announce any file: only the maker's
// signature, checked against the machine's own trust store, makes it one to
// open.
void CUpdateChecker::FetchUpdate(bool bReportLatest) {
    const std::string path = UpdateFilePath(m_strAppDir, m_strUpdateUrl);
    if (path.empty()) {
        m_strUpdateFile.clear();
        if (bReportLatest) m_prompts.ShowDownloadFailed();
        return;
    }
    m_strUpdateFile = path.substr(m_strAppDir.size());
    m_net.DeleteCacheEntry(m_strUpdateUrl);
    // A failed or partial download must not open whatever older file of that
    // name the directory holds.
    if (!m_net.DownloadToFile(m_strUpdateUrl, path, kDownloadTimeouts)) {
        if (bReportLatest) m_prompts.ShowDownloadFailed();
        return;
    }
    if (!m_update.trust.IsSignedBy(path, kUpdatePublisher)) {
        // The path names the file exactly as the download's ANSI calls did.
        m_update.files.DeleteFile(seam::Utf16FromCp949(path));
        if (bReportLatest) m_prompts.ShowUpdateUnsigned();
        return;
    }
    m_update.shell.ShellOpen(path);
}

void CheckVersionAtStartUp(seam::INet& net, seam::IRegistry& reg, std::atomic<bool>& bOnline,
                           CUpdateChecker& checker) {
    if (!net.IsOnline()) {
        bOnline.store(false);
        return;
    }
    bOnline.store(true);
    checker.CheckForUpdate(false, 1);
    SendUsageCount(net, reg, ServerUrl(kCountRun));
}

void CheckLatestVersionOnRequest(seam::INet& net, seam::IRegistry& reg, std::atomic<bool>& bOnline,
                                 CUpdateChecker& checker, IUpdatePrompts& prompts) {
    if (!net.IsOnline()) {
        bOnline.store(false);
        prompts.ShowConnectionFailed();
        return;
    }
    bOnline.store(true);
    checker.CheckForUpdate(true, 1);
    SendUsageCount(net, reg, ServerUrl(kCountUpdateExe));
}

}  // namespace net
