// The version check: asks the maker's server for the latest version number
// and, when it is higher than the program's own, downloads the installer the
// reply names into a new file of a folder of the program's own (see
// net/update/UpdateFile.h) and starts it when it is a newer release signed
// by the maker (net/update/MakerRelease.h).
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

#include "net/update/MakerRelease.h"
#include "seam/Platform.h"

namespace net {

// Path of the version query, appended to ServerBase(). Its reply is one line:
// "<latest version>#<absolute URL of the update file>".
inline constexpr const char* kVersionQuery = "/kestravin/update/ver.php";
// A reply is one short line; this much is read at most, so a runaway reply
// costs neither the time nor the memory to read it whole.
inline constexpr size_t kVersionReplyCap = 64 * 1024;
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
    // The user asked and the downloaded update was not a newer release
    // signed by the maker: kTextUpdateUnsigned.
    virtual void ShowUpdateUnsigned() = 0;
};

// The number a version text stands for: leading blanks skipped, an optional
// sign, then decimal digits up to the first other character; 0 without
// digits. Beyond the 32-bit range it saturates at INT32_MIN / INT32_MAX, so an
// absurdly long number still compares as the huge (or tiny) number it is.
int32_t VersionNumber(std::string_view text);

// What becomes of a downloaded update: held, its signature checked, then
// started or removed. Not owned.
struct UpdateParts {
    seam::ITrust& trust;
    seam::IFileSystem& files;
    const MakerPins& pins;
};

class CUpdateChecker {
public:
    // `net`, `update` (and the pins it names) and `prompts` are not owned
    // and must outlive the checker.
    CUpdateChecker(seam::INet& net, const UpdateParts& update, IUpdatePrompts& prompts);
    CUpdateChecker(const CUpdateChecker&) = delete;
    CUpdateChecker& operator=(const CUpdateChecker&) = delete;

    // Fetches `url` and keeps its lines, joined without line feeds, as the
    // server's reply. No reply: ShowConnectionError, and the previous reply
    // is kept. A reply without lines also leaves the previous one in place.
    void FetchServerReply(const std::string& url);

    // Queries the server and acts on the reply (kept from an earlier query
    // when this one fails). When the server's number is higher than ours and
    // its URL is an HTTP URL of an installer's name (net/update/UpdateFile.h):
    // drops the URL's cached copy and downloads it into a new file of
    // kUpdateFolder (the announced name, or a numbered one where an earlier
    // download keeps that name), never replacing any file. The new file is
    // then held, so that it cannot change, from before its signature is read
    // until it has been started; it is started only when JudgeRelease
    // accepts it, and otherwise deleted: the only file the check ever
    // deletes. An announced update whose name or URL is refused downloads
    // nothing, and UpdateFile() stays empty. When `bReportLatest` (the user
    // asked), a refused name or failed download shows ShowDownloadFailed and
    // a refused release ShowUpdateUnsigned (an accepted one that will not start
    // ShowDownloadFailed); at start-up nothing is shown.
    // When nothing newer is announced: ShowAlreadyLatest if `bReportLatest`
    // and `bOnline` is 1.
    void CheckForUpdate(bool bReportLatest, int bOnline);

    const std::string& Version() const { return m_strVersion; }
    const std::string& ServerReply() const { return m_strServerReply; }
    const std::string& LatestVersion() const { return m_strLatestVersion; }
    const std::string& UpdateUrl() const { return m_strUpdateUrl; }
    // The accepted name of the announced update (code page 949); empty when refused.
    const std::string& UpdateFile() const { return m_strUpdateFile; }
    // The file the last download created; empty when none was.
    const std::u16string& UpdatePath() const { return m_strUpdatePath; }

private:
    void SplitReply();
    void FetchUpdate(bool bReportLatest);
    enum class Outcome { Started, Refused, NotStarted };
    bool DownloadUpdate();
    Outcome StartIfMakersRelease();

    seam::INet& m_net;                // not owned
    const UpdateParts m_update;
    IUpdatePrompts& m_prompts;  // not owned
    // Our own version: fixed, independent of the file's version resource.
    const std::string m_strVersion = "1";
    std::string m_strServerReply;
    std::string m_strLatestVersion;
    std::string m_strUpdateUrl;
    std::string m_strUpdateFile;
    std::u16string m_strUpdatePath;
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
