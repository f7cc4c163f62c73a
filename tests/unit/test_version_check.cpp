// The version check against a scripted network: what is fetched, downloaded,
// opened and shown, and in which order.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/Server.h"
#include "net/update/UpdateFile.h"
#include "net/update/UpdateTexts.h"
#include "net/UsageCount.h"
#include "net/update/VersionCheck.h"
#include "net/UsageSwitch.h"
#include "tests/fakes/FakeRegistry.h"
#include "seam/Text.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeNet.h"
#include "tests/fakes/FakeShell.h"
#include "tests/fakes/FakeTrust.h"

namespace net {
namespace {

using Events = std::vector<std::string>;

// Fakes that also write every call into one log shared with the prompts, so
// a test sees the order of requests, downloads, checks and messages together.
class LoggingNet : public fakes::FakeNet {
public:
    LoggingNet(Events& log, fakes::FakeFileSystem* files) : fakes::FakeNet(files), m_log(log) {}

    bool IsOnline() override {
        m_log.push_back("online?");
        return fakes::FakeNet::IsOnline();
    }
    bool FetchLines(const std::string& url, const seam::NetTimeouts& timeouts, size_t maxBytes,
                    std::vector<std::string>& lines) override {
        m_log.push_back("fetch " + url);
        return fakes::FakeNet::FetchLines(url, timeouts, maxBytes, lines);
    }
    long DownloadToNewFile(const std::string& url, const std::u16string& path,
                           const seam::NetTimeouts& timeouts) override {
        m_log.push_back("download " + url + " > " + seam::Utf8FromUtf16(path));
        return fakes::FakeNet::DownloadToNewFile(url, path, timeouts);
    }
    void DeleteCacheEntry(const std::string& url) override {
        m_log.push_back("uncache " + url);
        fakes::FakeNet::DeleteCacheEntry(url);
    }

private:
    Events& m_log;
};

// The held file's life: held, started, released (its reading is not logged).
class LoggingTrust : public fakes::FakeTrust {
public:
    LoggingTrust(Events& log, fakes::FakeFileSystem* files) : fakes::FakeTrust(files), m_log(log) {}
    seam::HeldFile Hold(const std::u16string& path) override {
        m_log.push_back("hold " + seam::Utf8FromUtf16(path));
        return fakes::FakeTrust::Hold(path);
    }
    bool Start(seam::HeldFile file) override {
        m_log.push_back("start");
        return fakes::FakeTrust::Start(file);
    }
    void Release(seam::HeldFile file) override {
        m_log.push_back("release");
        fakes::FakeTrust::Release(file);
    }

private:
    Events& m_log;
};

// Removals are logged by their path.
class LoggingFiles : public fakes::FakeFileSystem {
public:
    explicit LoggingFiles(Events& log) : m_log(log) {}
    long DeleteFile(const std::u16string& path) override {
        m_log.push_back("remove " + seam::Utf8FromUtf16(path));
        return fakes::FakeFileSystem::DeleteFile(path);
    }

private:
    Events& m_log;
};

class LoggingPrompts : public IUpdatePrompts {
public:
    explicit LoggingPrompts(Events& log) : m_log(log) {}
    void ShowConnectionError() override { m_log.push_back("box connection-error"); }
    void ShowAlreadyLatest() override { m_log.push_back("box already-latest"); }
    void ShowConnectionFailed() override { m_log.push_back("box connection-failed"); }
    void ShowDownloadFailed() override { m_log.push_back("box download-failed"); }
    void ShowUpdateUnsigned() override { m_log.push_back("box update-unsigned"); }

private:
    Events& m_log;
};

const char kServer[] = "http://127.0.0.1:8765";
const char kSetupUrl[] = "http://127.0.0.1:8765/files/KestravinSetup.exe";
// The fake user's local application data (tests/fakes/FakeFileSystem.cpp).
const std::string kUpdateDir = "C:\\Users\\김하늘\\AppData\\Local\\Kestravin\\Updates\\";
const std::string kSetupPath = kUpdateDir + "KestravinSetup.exe";
const std::u16string kSetupPath16 = seam::Utf16FromUtf8(kSetupPath);
const std::string kHoldSetup = "hold " + kSetupPath;
const std::string kThumbprint = "5D41402ABC4B2A76B9719D911017C5925D41402ABC4B2A76B9719D911017C592";
// The maker's release, newer than the fakes' own 1.0.0.2.
const fakes::FakeRelease kRelease{"Kestravin", kThumbprint, 0x0009000000000000ull};

class VersionCheck : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("KESTRAVIN_SERVER", kServer, 1);
        m_net.SetDownloadRelease(kRelease);
    }
    void TearDown() override { unsetenv("KESTRAVIN_SERVER"); }

    void Reply(const std::vector<std::string>& lines) { m_net.SetReply(m_strQuery, lines); }
    // The path of the download's name after `taken` names were found in use.
    static std::string SetupPath(int taken) {
        return kUpdateDir + UpdateFileCandidates("KestravinSetup.exe")[static_cast<size_t>(taken)];
    }
    // The log of a download of kSetupUrl that lands after `taken` names were
    // in use, followed by `after` (what becomes of the held file).
    static Events Download(int taken, const Events& after) {
        Events log{std::string("uncache ") + kSetupUrl};
        for (int i = 0; i <= taken; ++i) log.push_back(std::string("download ") + kSetupUrl + " > " + SetupPath(i));
        log.insert(log.end(), after.begin(), after.end());
        return log;
    }
    static Events Started(int taken) { return Download(taken, {"hold " + SetupPath(taken), "start", "release"}); }
    static Events Refused(int taken) {
        return Download(taken, {"hold " + SetupPath(taken), "release", "remove " + SetupPath(taken)});
    }
    Events Fetched(const Events& after) const {
        Events log{m_strFetchQuery};
        log.insert(log.end(), after.begin(), after.end());
        return log;
    }
    void ServerDown() { m_net.SetFailure(m_strQuery); }
    // The log since the last call.
    Events Take() {
        Events taken;
        taken.swap(m_log);
        return taken;
    }

    const std::string m_strQuery = std::string(kServer) + "/kestravin/update/ver.php";
    const std::string m_strFetchQuery = "fetch " + m_strQuery;
    Events m_log;
    LoggingFiles m_files{m_log};
    LoggingNet m_net{m_log, &m_files};
    LoggingTrust m_trust{m_log, &m_files};
    fakes::FakeRegistry m_reg;
    LoggingPrompts m_prompts{m_log};
    const MakerPins m_pins{u"Kestravin", {kThumbprint}};
    CUpdateChecker m_checker{m_net, UpdateParts{m_trust, m_files, m_pins}, m_prompts};
    std::atomic<bool> m_bOnline{false};
};

TEST_F(VersionCheck, SameOrOlderVersionDownloadsNothingAndSaysSoOnlyWhenAsked) {
    Reply({std::string("1#") + kSetupUrl});

    m_checker.CheckForUpdate(0, 1);  // start-up: silent
    EXPECT_EQ(Events({m_strFetchQuery}), Take());
    EXPECT_EQ("1", m_checker.LatestVersion());
    EXPECT_EQ(kSetupUrl, m_checker.UpdateUrl());
    EXPECT_EQ("", m_checker.UpdateFile());

    m_checker.CheckForUpdate(1, 1);  // the user asked
    EXPECT_EQ(Events({m_strFetchQuery, "box already-latest"}), Take());

    m_checker.CheckForUpdate(1, 0);  // asked, but the last online test failed
    EXPECT_EQ(Events({m_strFetchQuery}), Take());

    Reply({std::string("0#") + kSetupUrl});
    m_checker.CheckForUpdate(1, 1);
    EXPECT_EQ(Events({m_strFetchQuery, "box already-latest"}), Take());

    EXPECT_TRUE(m_net.Downloads().empty());
    EXPECT_TRUE(m_trust.Started().empty());
    EXPECT_TRUE(m_net.CacheDeletions().empty());
}

TEST_F(VersionCheck, NewerVersionIsDownloadedIntoANewFileOfOurFolderAndStarted) {
    for (int bReportLatest : {0, 1}) {
        Reply({std::string("2#") + kSetupUrl});
        m_checker.CheckForUpdate(bReportLatest, 1);
        // The first download is kept (it was started): the second one takes a new name.
        EXPECT_EQ(Fetched(Started(bReportLatest)), Take()) << "bReportLatest " << bReportLatest;
        EXPECT_EQ("2", m_checker.LatestVersion());
        EXPECT_EQ(kSetupUrl, m_checker.UpdateUrl());
        EXPECT_EQ("KestravinSetup.exe", m_checker.UpdateFile());
        EXPECT_EQ(seam::Utf16FromUtf8(SetupPath(bReportLatest)), m_checker.UpdatePath());
    }
    EXPECT_EQ((std::vector<std::u16string>{kSetupPath16, seam::Utf16FromUtf8(SetupPath(1))}), m_trust.Started());
    EXPECT_EQ(0u, m_trust.HeldCount());
    for (const auto& request : m_net.Requests()) {
        EXPECT_GT(request.timeouts.connectMs, 0u);
        EXPECT_GT(request.timeouts.receiveMs, 0u);
    }
}

// Whatever already has a name the download could take stays byte for byte:
// the user's own file of that name in our folder, a file beside the program.
TEST_F(VersionCheck, NoFileThatWasThereIsReplacedOrDeleted) {
    const std::u16string mine = kSetupPath16;
    const std::u16string beside = u"C:\\Program Files\\Kestravin\\KestravinSetup.exe";
    ASSERT_TRUE(m_files.WriteFile(mine, "the user's own"));
    ASSERT_TRUE(m_files.WriteFile(beside, "beside the program"));
    Reply({std::string("2#") + kSetupUrl});

    m_net.SetDownloadRelease(fakes::FakeRelease{"Kestravin Ltd", kThumbprint, 0x0009000000000000ull});
    m_checker.CheckForUpdate(true, 1);
    Events want = Fetched(Refused(1));
    want.push_back("box update-unsigned");
    EXPECT_EQ(want, Take());

    m_net.SetDownloadRelease(kRelease);
    m_checker.CheckForUpdate(true, 1);
    EXPECT_EQ(Fetched(Started(1)), Take());

    std::string bytes;
    ASSERT_TRUE(m_files.ReadAll(mine, bytes));
    EXPECT_EQ("the user's own", bytes);
    ASSERT_TRUE(m_files.ReadAll(beside, bytes));
    EXPECT_EQ("beside the program", bytes);
}

TEST_F(VersionCheck, WhenEveryNameIsTakenNothingIsDownloadedOrDeleted) {
    for (const std::string& name : UpdateFileCandidates("KestravinSetup.exe"))
        ASSERT_TRUE(m_files.WriteFile(seam::Utf16FromUtf8(kUpdateDir + name), name));
    Reply({std::string("2#") + kSetupUrl});
    m_checker.CheckForUpdate(true, 1);
    Events want = Fetched(Download(kUpdateNameTries - 1, {"box download-failed"}));
    EXPECT_EQ(want, Take());
    EXPECT_TRUE(m_net.Files().empty());
    for (const std::string& name : UpdateFileCandidates("KestravinSetup.exe")) {
        std::string bytes;
        EXPECT_TRUE(m_files.ReadAll(seam::Utf16FromUtf8(kUpdateDir + name), bytes) && bytes == name) << name;
    }
}

// A file where our folder would be is no folder to download into, and it stays.
TEST_F(VersionCheck, AFileInPlaceOfTheUpdateFolderIsLeftAndNothingDownloaded) {
    for (const char* taken : {"C:\\Users\\김하늘\\AppData\\Local\\Kestravin",
                              "C:\\Users\\김하늘\\AppData\\Local\\Kestravin\\Updates"}) {
        const std::u16string path = seam::Utf16FromUtf8(taken);
        ASSERT_TRUE(m_files.WriteFile(path, "a file of the user's"));
        Reply({std::string("2#") + kSetupUrl});
        m_checker.CheckForUpdate(true, 1);
        EXPECT_EQ(Events({m_strFetchQuery, std::string("uncache ") + kSetupUrl, "box download-failed"}), Take())
            << taken;
        std::string bytes;
        EXPECT_TRUE(m_files.ReadAll(path, bytes) && bytes == "a file of the user's") << taken;
        EXPECT_TRUE(m_net.Downloads().empty());
        m_files.FakeFileSystem::DeleteFile(path);
        m_files.MakeFolder(path);  // the next one sits below it
    }
}

TEST_F(VersionCheck, FailedDownloadStartsNothing) {
    Reply({std::string("7#") + kSetupUrl});
    m_net.SetDownloadResult(false);

    m_checker.CheckForUpdate(1, 1);

    ASSERT_EQ(1u, m_net.Downloads().size());
    EXPECT_EQ(kSetupPath16, m_net.Downloads()[0].path);
    EXPECT_TRUE(m_trust.Started().empty());
    // An announced update is not "already the latest", even when it failed;
    // the user who asked is told, start-up stays silent.
    Events want = Fetched(Download(0, {"box download-failed"}));
    EXPECT_EQ(want, Take());
    m_checker.CheckForUpdate(false, 1);
    EXPECT_EQ(Fetched(Download(0, {})), Take());
    EXPECT_TRUE(m_net.Files().empty());
    EXPECT_FALSE(m_files.Exists(kSetupPath16));
}

TEST_F(VersionCheck, OnlyANewerReleaseSignedWithThePinnedCertificateIsStarted) {
    Reply({std::string("2#") + kSetupUrl});
    const uint64_t newer = kRelease.version;
    // Unsigned; another name under a trusted root; the maker's name on a
    // certificate that is not pinned; the maker's, changed after signing; a
    // look-alike name; the maker's, but an equal and an older version.
    const fakes::FakeRelease refused[] = {
        {"", "", newer},
        {"Kestravin Ltd", kThumbprint, newer},
        {"Kestravin", std::string(64, '0'), newer},
        {"Kestravin", kThumbprint, newer, false},
        {"Kestrav\xD1\x96n", kThumbprint, newer},  // a Cyrillic i
        {"Kestravin", kThumbprint, fakes::kFakeOwnVersion},
        {"Kestravin", kThumbprint, fakes::kFakeOwnVersion - 1},
    };
    for (const fakes::FakeRelease& release : refused) {
        const std::string what = release.signer + " " + release.thumbprint + " " + std::to_string(release.version);
        m_net.SetDownloadRelease(release);
        m_checker.CheckForUpdate(true, 1);
        Events want = Fetched(Refused(0));
        want.push_back("box update-unsigned");
        EXPECT_EQ(want, Take()) << what;
        EXPECT_TRUE(m_net.Files().empty()) << "the refused file was left: " << what;

        m_checker.CheckForUpdate(false, 1);  // start-up: deleted all the same, nothing shown
        EXPECT_EQ(Fetched(Refused(0)), Take()) << what;
        EXPECT_TRUE(m_net.Files().empty());
    }
    EXPECT_TRUE(m_trust.Started().empty());
    EXPECT_EQ(0u, m_trust.HeldCount());

    m_net.SetDownloadRelease(kRelease);
    m_checker.CheckForUpdate(true, 1);
    EXPECT_EQ(Fetched(Started(0)), Take());
    EXPECT_EQ((std::vector<std::u16string>{kSetupPath16}), m_trust.Started());
    EXPECT_EQ((std::vector<std::u16string>{kSetupPath16}), m_net.Files());
}

TEST_F(VersionCheck, AnAcceptedReleaseThatWillNotStartIsKeptAndTheUserTold) {
    Reply({std::string("2#") + kSetupUrl});
    m_trust.SetStartResult(false);
    m_checker.CheckForUpdate(true, 1);
    Events want = Fetched(Started(0));
    want.push_back("box download-failed");
    EXPECT_EQ(want, Take());
    EXPECT_EQ((std::vector<std::u16string>{kSetupPath16}), m_net.Files());
}

TEST_F(VersionCheck, AnnouncedFilesOtherThanInstallersAreNeverFetched) {
    for (const char* name : {"notes.txt", "Kestravin.exe.debug", "setup.dll", "notes.txt:setup.exe"}) {
        Reply({std::string("2#http://127.0.0.1:8765/files/") + name});
        m_checker.CheckForUpdate(true, 1);
        EXPECT_EQ(Events({m_strFetchQuery, "box download-failed"}), Take()) << name;
    }
    EXPECT_TRUE(m_net.Downloads().empty());
}

TEST_F(VersionCheck, ReplyWithoutVersionCountsAsZero) {
    // A reply without lines: the (empty) reply stays, version 0.
    Reply({});
    m_checker.CheckForUpdate(1, 1);
    EXPECT_EQ("", m_checker.ServerReply());
    EXPECT_EQ("", m_checker.LatestVersion());
    EXPECT_EQ("", m_checker.UpdateUrl());
    EXPECT_EQ(Events({m_strFetchQuery, "box already-latest"}), Take());

    // No "#": the whole reply is the URL and the version is empty.
    Reply({kSetupUrl});
    m_checker.CheckForUpdate(1, 1);
    EXPECT_EQ("", m_checker.LatestVersion());
    EXPECT_EQ(kSetupUrl, m_checker.UpdateUrl());
    EXPECT_EQ(Events({m_strFetchQuery, "box already-latest"}), Take());

    // An empty or non-numeric version before the "#".
    for (const char* version : {"", "abc", "+", "-", " v2"}) {
        Reply({std::string(version) + "#" + kSetupUrl});
        m_checker.CheckForUpdate(1, 1);
        EXPECT_EQ(version, m_checker.LatestVersion());
        EXPECT_EQ(kSetupUrl, m_checker.UpdateUrl());
        EXPECT_EQ(Events({m_strFetchQuery, "box already-latest"}), Take()) << version;
    }
    EXPECT_TRUE(m_net.Downloads().empty());
}

TEST_F(VersionCheck, OnlyTheFirstHashSplitsTheReply) {
    Reply({"1#http://h/a#b.exe"});
    m_checker.CheckForUpdate(0, 1);
    EXPECT_EQ("1", m_checker.LatestVersion());
    EXPECT_EQ("http://h/a#b.exe", m_checker.UpdateUrl());
}

TEST_F(VersionCheck, FetchJoinsLinesAndKeepsTheLastReplyWhenThereIsNone) {
    const std::string url = std::string(kServer) + "/lines";
    m_net.SetReply(url, {"one", "two", "three"});
    m_checker.FetchServerReply(url);
    EXPECT_EQ("onetwothree", m_checker.ServerReply());
    EXPECT_EQ(Events({"fetch " + url}), Take());

    m_net.SetReply(url, {});  // a reply without lines
    m_checker.FetchServerReply(url);
    EXPECT_EQ("onetwothree", m_checker.ServerReply());

    m_net.SetFailure(url);  // no reply at all: the error box, the reply kept
    m_checker.FetchServerReply(url);
    EXPECT_EQ("onetwothree", m_checker.ServerReply());
    EXPECT_EQ(Events({"fetch " + url, "fetch " + url, "box connection-error"}), Take());

    m_net.SetReply(url, {""});  // one empty line is a reply
    m_checker.FetchServerReply(url);
    EXPECT_EQ("", m_checker.ServerReply());
}

TEST_F(VersionCheck, MultiLineReplyIsOneAnnouncement) {
    Reply({"2#http://127.0.0.1:8765/fi", "les/Kestravin", "Setup.exe"});
    m_checker.CheckForUpdate(0, 1);
    EXPECT_EQ(kSetupUrl, m_checker.UpdateUrl());
    ASSERT_EQ(1u, m_trust.Started().size());
    EXPECT_EQ(kSetupPath16, m_trust.Started()[0]);
}

TEST_F(VersionCheck, RunawayReplyIsReadOnlyUpToTheCap) {
    Reply({"1#" + std::string(10 * 1024 * 1024, 'x')});
    m_checker.CheckForUpdate(0, 1);

    const auto requests = m_net.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_GT(requests[0].maxBytes, 0u);
    EXPECT_LE(requests[0].maxBytes, 64u * 1024u);
    EXPECT_LE(m_checker.ServerReply().size(), requests[0].maxBytes);
    EXPECT_EQ("1", m_checker.LatestVersion());
}

TEST_F(VersionCheck, VersionNumbersParseLikeAtoiAndSaturate) {
    EXPECT_EQ(1, VersionNumber("1"));
    EXPECT_EQ(-5, VersionNumber("-5"));
    EXPECT_EQ(3, VersionNumber(" +3abc"));
    EXPECT_EQ(42, VersionNumber("\t\r\n 42"));
    EXPECT_EQ(12, VersionNumber("0012"));
    EXPECT_EQ(1, VersionNumber("1 2"));
    EXPECT_EQ(1, VersionNumber("1.9"));
    for (const char* none : {"", " ", "abc", "+", "-", "+-3", "- 3", "v2"})
        EXPECT_EQ(0, VersionNumber(none)) << none;
    EXPECT_EQ(INT32_MAX, VersionNumber("2147483647"));
    EXPECT_EQ(INT32_MAX, VersionNumber("2147483648"));
    EXPECT_EQ(INT32_MAX, VersionNumber("99999999999"));
    EXPECT_EQ(INT32_MAX, VersionNumber(std::string(5000, '9')));
    EXPECT_EQ(INT32_MIN, VersionNumber("-2147483648"));
    EXPECT_EQ(INT32_MIN, VersionNumber("-99999999999"));

    // As the server's number: a huge one is newer, a negative one is not.
    Reply({std::string("99999999999#") + kSetupUrl});
    m_checker.CheckForUpdate(0, 1);
    EXPECT_EQ(1u, m_trust.Started().size());
    Reply({std::string(" +3abc#") + kSetupUrl});
    m_checker.CheckForUpdate(0, 1);
    EXPECT_EQ(2u, m_trust.Started().size());
    Reply({std::string("-5#") + kSetupUrl});
    m_checker.CheckForUpdate(0, 1);
    EXPECT_EQ(2u, m_trust.Started().size());
    EXPECT_EQ(2u, m_net.Files().size());  // the second landed beside the first
}

TEST_F(VersionCheck, AnnouncedNamesThatAreNoPlainInstallerNameDownloadNothing) {
    const std::vector<std::string> replies = {
        "2#http://127.0.0.1:8765/files/..%5C..%5Cevil.exe",
        "2#http://127.0.0.1:8765/files/..\\evil.exe",
        "2#http://127.0.0.1:8765/files/",
        "2#http://127.0.0.1:8765/CON",
        "2#http://127.0.0.1:8765/aux.txt",
        "2#http://127.0.0.1:8765/a:b.exe",
        "2#http://127.0.0.1:8765/a\x01" "b.exe",
        "2#http://127.0.0.1:8765/setup.exe.",
        "2#..\\..\\Windows\\evil.exe",  // no "/": the whole URL is the name
        "2#file:///C:/Windows/System32/evil.exe",
        "2#",
    };
    for (const auto& reply : replies) {
        Reply({reply});
        m_checker.CheckForUpdate(true, 1);
        EXPECT_EQ(Events({m_strFetchQuery, "box download-failed"}), Take()) << reply;
        EXPECT_EQ("", m_checker.UpdateFile()) << reply;
        m_checker.CheckForUpdate(false, 1);
        EXPECT_EQ(Events({m_strFetchQuery}), Take()) << reply;
    }
    EXPECT_TRUE(m_net.CacheDeletions().empty());
    EXPECT_TRUE(m_net.Downloads().empty());
    EXPECT_TRUE(m_trust.Started().empty());

    // A refused name after an accepted one leaves no stale name behind.
    Reply({std::string("2#") + kSetupUrl});
    m_checker.CheckForUpdate(0, 1);
    EXPECT_EQ("KestravinSetup.exe", m_checker.UpdateFile());
    Reply({"2#http://127.0.0.1:8765/files/..%5Cevil.exe"});
    m_checker.CheckForUpdate(0, 1);
    EXPECT_EQ("", m_checker.UpdateFile());
}

TEST_F(VersionCheck, ServerDownShowsTheErrorAndGoesOnWithTheKeptReply) {
    // Never a reply: the error, then the empty reply counts as "latest" when asked.
    ServerDown();
    m_checker.CheckForUpdate(1, 1);
    EXPECT_EQ(Events({m_strFetchQuery, "box connection-error", "box already-latest"}), Take());
    m_checker.CheckForUpdate(0, 1);
    EXPECT_EQ(Events({m_strFetchQuery, "box connection-error"}), Take());

    // A kept "not newer" reply.
    Reply({std::string("1#") + kSetupUrl});
    m_checker.CheckForUpdate(0, 1);
    Take();
    ServerDown();
    m_checker.CheckForUpdate(1, 1);
    EXPECT_EQ(Events({m_strFetchQuery, "box connection-error", "box already-latest"}), Take());
    EXPECT_EQ(std::string("1#") + kSetupUrl, m_checker.ServerReply());

    // A kept announcement is acted on again.
    Reply({std::string("3#") + kSetupUrl});
    m_checker.CheckForUpdate(0, 1);
    Take();
    ServerDown();
    m_checker.CheckForUpdate(1, 1);
    Events want{m_strFetchQuery, "box connection-error"};
    for (const std::string& line : Started(1)) want.push_back(line);  // the first is kept
    EXPECT_EQ(want, Take());
}

TEST_F(VersionCheck, StartUpChecksSilentlyThenCountsTheRun) {
    const std::string count = "fetch " + ServerUrl(kCountRun);

    Reply({std::string("1#") + kSetupUrl});
    CheckVersionAtStartUp(m_net, m_reg, m_bOnline, m_checker);
    EXPECT_TRUE(m_bOnline.load());
    EXPECT_EQ(Events({"online?", m_strFetchQuery, count}), Take());

    Reply({std::string("2#") + kSetupUrl});
    CheckVersionAtStartUp(m_net, m_reg, m_bOnline, m_checker);
    EXPECT_EQ(Events({"online?", m_strFetchQuery, std::string("uncache ") + kSetupUrl,
                      std::string("download ") + kSetupUrl + " > " + kSetupPath, kHoldSetup, "start", "release", count}),
              Take());

    // Server down: the error box, the kept announcement acted on, and the
    // count still attempted.
    ServerDown();
    CheckVersionAtStartUp(m_net, m_reg, m_bOnline, m_checker);
    Events want{"online?", m_strFetchQuery, "box connection-error"};
    for (const std::string& line : Started(1)) want.push_back(line);  // the first is kept
    want.push_back(count);
    EXPECT_EQ(want, Take());

    // Offline: neither the check nor the count.
    m_net.SetOnline(false);
    CheckVersionAtStartUp(m_net, m_reg, m_bOnline, m_checker);
    EXPECT_FALSE(m_bOnline.load());
    EXPECT_EQ(Events({"online?"}), Take());
}

TEST_F(VersionCheck, MenuCommandCountsAfterTheCheckAndTellsWhenOffline) {
    const std::string count = "fetch " + ServerUrl(kCountUpdateExe);

    Reply({std::string("1#") + kSetupUrl});
    CheckLatestVersionOnRequest(m_net, m_reg, m_bOnline, m_checker, m_prompts);
    EXPECT_TRUE(m_bOnline.load());
    EXPECT_EQ(Events({"online?", m_strFetchQuery, "box already-latest", count}), Take());

    Reply({std::string("2#") + kSetupUrl});
    CheckLatestVersionOnRequest(m_net, m_reg, m_bOnline, m_checker, m_prompts);
    EXPECT_EQ(Events({"online?", m_strFetchQuery, std::string("uncache ") + kSetupUrl,
                      std::string("download ") + kSetupUrl + " > " + kSetupPath, kHoldSetup, "start", "release", count}),
              Take());

    // A refused announcement: the user is told, and it is still counted.
    Reply({"2#http://127.0.0.1:8765/files/..%5C..%5Cevil.exe"});
    CheckLatestVersionOnRequest(m_net, m_reg, m_bOnline, m_checker, m_prompts);
    EXPECT_EQ(Events({"online?", m_strFetchQuery, "box download-failed", count}), Take());

    m_net.SetOnline(false);
    CheckLatestVersionOnRequest(m_net, m_reg, m_bOnline, m_checker, m_prompts);
    EXPECT_FALSE(m_bOnline.load());
    EXPECT_EQ(Events({"online?", "box connection-failed"}), Take());
}

TEST(UpdateTexts, EveryMessageFitsCodePage949) {
    for (const char* text : {kTextConnectionError, kCaptionConnectionError, kTextAlreadyLatest,
                             kTextConnectionFailed, kTextDownloadFailed, kTextUpdateUnsigned}) {
        const std::string ansi = seam::Cp949FromUtf8(text);
        EXPECT_EQ(std::string::npos, ansi.find('?')) << text;
        EXPECT_EQ(text, seam::Utf8FromCp949(ansi));
    }
}

TEST_F(VersionCheck, UsageSwitchOffKeepsTheVersionCheckButSendsNoCount) {
    ASSERT_EQ(seam::kErrSuccess, SetUsageCountOn(m_reg, false));
    Reply({std::string("1#") + kSetupUrl});
    CheckVersionAtStartUp(m_net, m_reg, m_bOnline, m_checker);
    EXPECT_EQ(Events({"online?", m_strFetchQuery}), Take());
    CheckLatestVersionOnRequest(m_net, m_reg, m_bOnline, m_checker, m_prompts);
    EXPECT_EQ(Events({"online?", m_strFetchQuery, "box already-latest"}), Take());
}

}  // namespace
}  // namespace net
