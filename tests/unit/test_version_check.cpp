// The version check against a scripted network: what is fetched, downloaded,
// opened and shown, and in which order.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/Server.h"
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
    bool DownloadToFile(const std::string& url, const std::string& path,
                        const seam::NetTimeouts& timeouts) override {
        m_log.push_back("download " + url + " > " + path);
        return fakes::FakeNet::DownloadToFile(url, path, timeouts);
    }
    void DeleteCacheEntry(const std::string& url) override {
        m_log.push_back("uncache " + url);
        fakes::FakeNet::DeleteCacheEntry(url);
    }

private:
    Events& m_log;
};

class LoggingShell : public fakes::FakeShell {
public:
    explicit LoggingShell(Events& log) : m_log(log) {}
    bool ShellOpen(const std::string& target) override {
        m_log.push_back("open " + target);
        return fakes::FakeShell::ShellOpen(target);
    }

private:
    Events& m_log;
};

class LoggingTrust : public fakes::FakeTrust {
public:
    LoggingTrust(Events& log, fakes::FakeFileSystem* files) : fakes::FakeTrust(files), m_log(log) {}
    bool IsSignedBy(const std::string& path, const std::string& publisher) override {
        m_log.push_back("verify " + path + " by " + publisher);
        return fakes::FakeTrust::IsSignedBy(path, publisher);
    }

private:
    Events& m_log;
};

// Removals are logged by their display text.
class LoggingFiles : public fakes::FakeFileSystem {
public:
    explicit LoggingFiles(Events& log) : m_log(log) {}
    long DeleteFile(const std::u16string& path) override {
        m_log.push_back("remove " + seam::Cp949FromUtf16(path));
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
const char kAppDir[] = "C:\\Program Files\\Kestravin\\";
const char kSetupUrl[] = "http://127.0.0.1:8765/files/KestravinSetup.exe";
const std::string kSetupPath = std::string(kAppDir) + "KestravinSetup.exe";
const std::string kVerifySetup = "verify " + kSetupPath + " by Kestravin";

class VersionCheck : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("KESTRAVIN_SERVER", kServer, 1);
        m_net.SetDownloadSignature(kUpdatePublisher);  // the maker's, under a trusted root
    }
    void TearDown() override { unsetenv("KESTRAVIN_SERVER"); }

    void Reply(const std::vector<std::string>& lines) { m_net.SetReply(m_strQuery, lines); }
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
    LoggingShell m_shell{m_log};
    LoggingTrust m_trust{m_log, &m_files};
    fakes::FakeRegistry m_reg;
    LoggingPrompts m_prompts{m_log};
    CUpdateChecker m_checker{m_net, UpdateParts{m_trust, m_shell, m_files}, kAppDir, m_prompts};
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
    EXPECT_TRUE(m_shell.Opened().empty());
    EXPECT_TRUE(m_net.CacheDeletions().empty());
}

TEST_F(VersionCheck, NewerVersionIsDownloadedIntoTheProgramDirectoryAndOpened) {
    for (int bReportLatest : {0, 1}) {
        Reply({std::string("2#") + kSetupUrl});
        m_checker.CheckForUpdate(bReportLatest, 1);
        EXPECT_EQ(Events({m_strFetchQuery, std::string("uncache ") + kSetupUrl,
                          std::string("download ") + kSetupUrl + " > " + kSetupPath, kVerifySetup, "open " + kSetupPath}),
                  Take())
            << "bReportLatest " << bReportLatest;
        EXPECT_EQ("2", m_checker.LatestVersion());
        EXPECT_EQ(kSetupUrl, m_checker.UpdateUrl());
        EXPECT_EQ("KestravinSetup.exe", m_checker.UpdateFile());
    }
    for (const auto& request : m_net.Requests()) {
        EXPECT_GT(request.timeouts.connectMs, 0u);
        EXPECT_GT(request.timeouts.receiveMs, 0u);
    }
}

TEST_F(VersionCheck, FailedDownloadOpensNothing) {
    Reply({std::string("7#") + kSetupUrl});
    m_net.SetDownloadResult(false);

    m_checker.CheckForUpdate(1, 1);

    ASSERT_EQ(1u, m_net.Downloads().size());
    EXPECT_EQ(kSetupPath, m_net.Downloads()[0].path);
    EXPECT_TRUE(m_shell.Opened().empty());
    // An announced update is not "already the latest", even when it failed;
    // the user who asked is told, start-up stays silent.
    EXPECT_EQ(Events({m_strFetchQuery, std::string("uncache ") + kSetupUrl,
                      std::string("download ") + kSetupUrl + " > " + kSetupPath, "box download-failed"}),
              Take());
    m_checker.CheckForUpdate(false, 1);
    EXPECT_EQ(Events({m_strFetchQuery, std::string("uncache ") + kSetupUrl,
                      std::string("download ") + kSetupUrl + " > " + kSetupPath}),
              Take());
    EXPECT_TRUE(m_net.Files().empty());
}

TEST_F(VersionCheck, OnlyAnUpdateSignedByTheMakerIsOpened) {
    Reply({std::string("2#") + kSetupUrl});
    const Events refused = {m_strFetchQuery, std::string("uncache ") + kSetupUrl,
                            std::string("download ") + kSetupUrl + " > " + kSetupPath, kVerifySetup,
                            "remove " + kSetupPath};
    struct Case {
        const char* signer;
        bool intact;
    };
    // Unsigned; signed by another name under a trusted root; signed by the
    // maker and changed afterwards; the name differing in case only.
    for (const Case& c : {Case{"", true}, Case{"Kestravin Ltd", true}, Case{"Kestravin", false},
                          Case{"kestravin", true}}) {
        m_net.SetDownloadSignature(c.signer, c.intact);
        m_checker.CheckForUpdate(true, 1);
        Events want = refused;
        want.push_back("box update-unsigned");
        EXPECT_EQ(want, Take()) << c.signer << (c.intact ? "" : " (changed)");
        EXPECT_TRUE(m_net.Files().empty()) << "the refused file was left";

        m_checker.CheckForUpdate(false, 1);  // start-up: deleted all the same, nothing shown
        EXPECT_EQ(refused, Take()) << c.signer;
        EXPECT_TRUE(m_net.Files().empty());
    }
    EXPECT_TRUE(m_shell.Opened().empty());

    m_net.SetDownloadSignature("Kestravin");
    m_checker.CheckForUpdate(true, 1);
    EXPECT_EQ((std::vector<std::string>{kSetupPath}), m_shell.Opened());
    EXPECT_EQ((std::vector<std::string>{kSetupPath}), m_net.Files());
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
    ASSERT_EQ(1u, m_shell.Opened().size());
    EXPECT_EQ(kSetupPath, m_shell.Opened()[0]);
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
    EXPECT_EQ(1u, m_shell.Opened().size());
    Reply({std::string(" +3abc#") + kSetupUrl});
    m_checker.CheckForUpdate(0, 1);
    EXPECT_EQ(2u, m_shell.Opened().size());
    Reply({std::string("-5#") + kSetupUrl});
    m_checker.CheckForUpdate(0, 1);
    EXPECT_EQ(2u, m_shell.Opened().size());
    EXPECT_EQ(2u, m_net.Downloads().size());
}

TEST_F(VersionCheck, AnnouncedNamesOutsideTheProgramDirectoryDownloadNothing) {
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
    EXPECT_TRUE(m_shell.Opened().empty());

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
    EXPECT_EQ(Events({m_strFetchQuery, "box connection-error", std::string("uncache ") + kSetupUrl,
                      std::string("download ") + kSetupUrl + " > " + kSetupPath, kVerifySetup, "open " + kSetupPath}),
              Take());
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
                      std::string("download ") + kSetupUrl + " > " + kSetupPath, kVerifySetup, "open " + kSetupPath, count}),
              Take());

    // Server down: the error box, the kept announcement acted on, and the
    // count still attempted.
    ServerDown();
    CheckVersionAtStartUp(m_net, m_reg, m_bOnline, m_checker);
    EXPECT_EQ(Events({"online?", m_strFetchQuery, "box connection-error", std::string("uncache ") + kSetupUrl,
                      std::string("download ") + kSetupUrl + " > " + kSetupPath, kVerifySetup, "open " + kSetupPath, count}),
              Take());

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
                      std::string("download ") + kSetupUrl + " > " + kSetupPath, kVerifySetup, "open " + kSetupPath, count}),
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
