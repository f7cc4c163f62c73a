// The version check: asks the maker's server for the latest version number
// and, when it is higher than the program's own, downloads the update file
// the reply names into the program's directory and opens it.
//
// At start-up it runs on the main window's thread, before the window is
// shown; from the menu it runs on a worker (net/MenuVersionCheck.h). The
// query and the download are bounded by their time-outs, the query's reply
// by kVersionReplyCap. What the user must see goes through IUpdatePrompts,
// which the window implements with message boxes (texts in net/UpdateTexts.h).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "seam/Platform.h"

namespace net {

// Path of the version query, appended to ServerBase(). Its reply is one line:
// "<latest version>#<absolute URL of the update file>".
inline constexpr const char* kVersionQuery = "/kestravin/update/ver.php";
// A reply is one short line; this much is read at most, so a runaway reply
// costs neither the time nor the memory to read it whole.
inline constexpr size_t kVersionReplyCap = 64 * 1024;
// The subject common name of the certificate an update must be signed with.
inline constexpr const char* kUpdatePublisher = "Kestravin";
// Bounds of the query and of the update's download.
inline constexpr seam::NetTimeouts kVersionTimeouts{};
inline constexpr seam::NetTimeouts kDownloadTimeouts{};

// The messages of the version check, shown by the window that owns it.
class IUpdatePrompts {
public:
    virtual ~IUpdatePrompts() = default;
    // The query got no reply: kTextConnectionError, caption
    // kCaptionConnectionError, error icon.
    virtual void ShowConnectionError() = 0;
    // The user asked and nothing newer is announced: kTextAlreadyLatest.
    virtual void ShowAlreadyLatest() = 0;
    // The user asked while offline: kTextConnectionFailed.
    virtual void ShowConnectionFailed() = 0;
    // The user asked and the announced update was refused by name or could
    // not be downloaded: kTextDownloadFailed.
    virtual void ShowDownloadFailed() = 0;
    // The user asked and the downloaded update was not signed by the maker:
    // kTextUpdateUnsigned.
    virtual void ShowUpdateUnsigned() = 0;
};

// The number a version text stands for: leading blanks skipped, an optional
// sign, then decimal digits up to the first other character; 0 without
// digits. Beyond the 32-bit range it saturates at INT32_MIN / INT32_MAX, so an
// absurdly long number still compares as the huge (or tiny) number it is.
int32_t VersionNumber(std::string_view text);

// What becomes of a downloaded update: its signature checked, then opened
// or removed. Not owned.
struct UpdateParts {
    seam::ITrust& trust;
    seam::IShell& shell;
    seam::IFileSystem& files;
};

class CUpdateChecker {
public:
    // `strAppDir`: the program's directory with a trailing backslash.
    // `net`, `update` and `prompts` are not owned and must outlive the checker.
    CUpdateChecker(seam::INet& net, const UpdateParts& update, std::string strAppDir, IUpdatePrompts& prompts);
    CUpdateChecker(const CUpdateChecker&) = delete;
    CUpdateChecker& operator=(const CUpdateChecker&) = delete;

    // Fetches `url` and keeps its lines, joined without line feeds, as the
    // server's reply. No reply: ShowConnectionError, and the previous reply
    // is kept. A reply without lines also leaves the previous one in place.
    void FetchServerReply(const std::string& url);

    // Queries the server and acts on the reply (kept from an earlier query
    // when this one fails). When the server's number is higher than ours and
    // its URL is an HTTP URL of a plain file name (net/UpdateFile.h): drops the
    // URL's cached copy, downloads it to m_strAppDir + the name, and opens the
    // file only when the download succeeded and the file is signed by
    // kUpdatePublisher under a root the machine trusts; a file that is not is
    // deleted unopened. An announced update whose name or URL is refused
    // downloads and opens nothing, and m_strUpdateFile stays empty. When
    // `bReportLatest` (the user asked), a refused name or failed download
    // shows ShowDownloadFailed and a refused signature ShowUpdateUnsigned; at
    // start-up nothing is shown. When nothing newer is announced:
    // ShowAlreadyLatest if `bReportLatest` and `bOnline` is 1.
    void CheckForUpdate(bool bReportLatest, int bOnline);

    const std::string& Version() const { return m_strVersion; }
    const std::string& ServerReply() const { return m_strServerReply; }
    const std::string& LatestVersion() const { return m_strLatestVersion; }
    const std::string& UpdateUrl() const { return m_strUpdateUrl; }
    const std::string& UpdateFile() const { return m_strUpdateFile; }
    const std::string& AppDir() const { return m_strAppDir; }

private:
    void SplitReply();
    void FetchUpdate(bool bReportLatest);

    seam::INet& m_net;                // not owned
    const UpdateParts m_update;
    IUpdatePrompts& m_prompts;  // not owned
    // Our own version: fixed, independent of the file's version resource.
    const std::string m_strVersion = "1";
    const std::string m_strAppDir;
    std::string m_strServerReply;
    std::string m_strLatestVersion;
    std::string m_strUpdateUrl;
    std::string m_strUpdateFile;
};

// Start-up: the online test; when online, raises bOnline, runs the silent
// check CheckForUpdate(false) and then sends the start-up usage count (as the
// usage switch in `reg` allows); offline, lowers bOnline and does neither.
void CheckVersionAtStartUp(seam::INet& net, seam::IRegistry& reg, std::atomic<bool>& bOnline,
                           CUpdateChecker& checker);

// The menu command 32772 (check the latest version): the online test; when
// online, raises bOnline, runs CheckForUpdate(true) and then sends the
// update_exe usage count (as the usage switch in `reg` allows) whether or not
// an update was found; offline, lowers bOnline and shows ShowConnectionFailed
// without any request.
void CheckLatestVersionOnRequest(seam::INet& net, seam::IRegistry& reg, std::atomic<bool>& bOnline,
                                 CUpdateChecker& checker, IUpdatePrompts& prompts);

}  // namespace net
