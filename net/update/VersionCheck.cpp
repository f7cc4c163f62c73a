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

CUpdateChecker::CUpdateChecker(seam::INet& net, const UpdateParts& update, IUpdatePrompts& prompts)
    : m_net(net), m_update(update), m_prompts(prompts) {}

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

// The program keeps running after it has started the update; the installer
// is left to replace it. The reply comes over plain HTTP: whoever answers in
// the server's place (a hostile network, a poisoned name lookup) can
// announce any file, so nothing it names may touch a file that is already
// there, and only a newer release signed with the maker's own certificate
// is started.
void CUpdateChecker::FetchUpdate(bool bReportLatest) {
    m_strUpdateFile = UpdateFileName(m_strUpdateUrl);
    m_strUpdatePath.clear();
    if (m_strUpdateFile.empty()) {
        if (bReportLatest) m_prompts.ShowDownloadFailed();
        return;
    }
    m_net.DeleteCacheEntry(m_strUpdateUrl);
    if (!DownloadUpdate()) {
        if (bReportLatest) m_prompts.ShowDownloadFailed();
        return;
    }
    const Outcome outcome = StartIfMakersRelease();
    if (!bReportLatest) return;
    if (outcome == Outcome::Refused) m_prompts.ShowUpdateUnsigned();
    if (outcome == Outcome::NotStarted) m_prompts.ShowDownloadFailed();
}

bool CUpdateChecker::DownloadUpdate() {
    std::u16string folder;
    if (m_update.files.KnownFolderPath(seam::KnownFolder::LocalAppData, folder) != seam::kErrSuccess) return false;
    folder += u'\\';
    if (m_update.files.CreateFolder(folder + kUpdateFolderParent) != seam::kErrSuccess) return false;
    folder += kUpdateFolder;
    if (m_update.files.CreateFolder(folder) != seam::kErrSuccess) return false;
    for (const std::string& name : UpdateFileCandidates(m_strUpdateFile)) {
        const std::u16string path = folder + u'\\' + seam::Utf16FromCp949(name);
        // The installer is started through the shell, which takes no longer path.
        if (path.size() >= kMaxPathBytes) return false;
        const long result = m_net.DownloadToNewFile(m_strUpdateUrl, path, kDownloadTimeouts);
        if (result == seam::kErrFileExists) continue;
        if (result != seam::kErrSuccess) return false;
        m_strUpdatePath = path;
        return true;
    }
    return false;
}

// Between the download's end and Hold another program of the user's could
// change the file in the user's own folder; whatever it holds then is what
// is checked, and from Hold on it cannot change until it has been started.
CUpdateChecker::Outcome CUpdateChecker::StartIfMakersRelease() {
    const seam::HeldFile held = m_update.trust.Hold(m_strUpdatePath);
    Outcome outcome = Outcome::Refused;
    if (held) {
        const seam::SignatureInfo signature = m_update.trust.Inspect(held);
        if (JudgeRelease(signature, m_update.pins, m_update.trust.OwnVersion()) == ReleaseVerdict::Accepted)
            outcome = m_update.trust.Start(held) ? Outcome::Started : Outcome::NotStarted;
        m_update.trust.Release(held);
    }
    // The file this check created and refused; an accepted release that
    // would not start is the maker's and stays.
    if (outcome == Outcome::Refused) m_update.files.DeleteFile(m_strUpdatePath);
    return outcome;
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
