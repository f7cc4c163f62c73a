// What the real platform must do beyond the shared contract: the bounds of
// WinINet exchanges against a server that misbehaves, downloads that never
// leave a partial file, and the test programs the suite itself relies on.
// Runs only in contract_tests.exe, against tools/stand_in_server.py.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/contract/ContractPlatform.h"

namespace contract {
namespace {

const seam::NetTimeouts kShort{2000, 2000};

class Win32Seam : public ::testing::Test {
protected:
    void SetUp() override {
        m_contract = MakeContractPlatform();
        m_strBase = m_contract->TestServerBase();
        if (m_strBase.empty()) GTEST_SKIP() << "KV_TEST_SERVER is not set";
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        m_strFile = std::string(temp) + "kv-seam-" + std::to_string(::GetCurrentProcessId()) + ".bin";
    }
    void TearDown() override {
        if (!m_strFile.empty()) ::DeleteFileA(m_strFile.c_str());
    }

    seam::INet& Net() { return m_contract->Get().net; }
    std::string Url(const char* path) const { return m_strBase + path; }

    // Prints a measured figure; figures are read, never asserted.
    static void Figure(const char* what, DWORD ms) { std::printf("[ figure   ] %s: %lu ms\n", what, ms); }

    std::unique_ptr<ContractPlatform> m_contract;
    std::string m_strBase;
    std::string m_strFile;
};

bool FileExists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST_F(Win32Seam, FetchLinesReadsAnyReplyUpToTheByteCap) {
    std::vector<std::string> lines{"stale"};
    ASSERT_TRUE(Net().FetchLines(Url("/lines"), kShort, 4096, lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "three"}));

    // Cut inside the second line: what arrived still counts, no more is read.
    ASSERT_TRUE(Net().FetchLines(Url("/lines"), kShort, 5, lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "t"}));

    // An error page is a reply too; callers read and ignore it.
    ASSERT_TRUE(Net().FetchLines(Url("/no/such/page"), kShort, 4096, lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"not found"}));
}

TEST_F(Win32Seam, FetchLinesGivesUpOnServersThatDoNotAnswer) {
    std::vector<std::string> lines{"stale"};

    DWORD start = ::GetTickCount();
    EXPECT_FALSE(Net().FetchLines(Url("/stall"), kShort, 4096, lines));
    Figure("FetchLines against a server that never answers (receive bound 2000 ms)", ::GetTickCount() - start);
    EXPECT_TRUE(lines.empty());

    // Headers and part of the body, then silence: a broken reply, not a short one.
    lines = {"stale"};
    start = ::GetTickCount();
    EXPECT_FALSE(Net().FetchLines(Url("/partial"), kShort, 4096, lines));
    Figure("FetchLines against a reply that stalls mid-body", ::GetTickCount() - start);
    EXPECT_TRUE(lines.empty());

    // A byte a second never trips the receive bound; the exchange's own deadline ends it.
    start = ::GetTickCount();
    EXPECT_FALSE(Net().FetchLines(Url("/trickle?bytes=30&every=1"), kShort, 4096, lines));
    Figure("FetchLines against a reply trickling a byte a second (deadline 6000 ms)", ::GetTickCount() - start);

    // Nothing listens on port 1.
    start = ::GetTickCount();
    EXPECT_FALSE(Net().FetchLines("http://127.0.0.1:1/lines", kShort, 4096, lines));
    Figure("FetchLines against a closed port", ::GetTickCount() - start);

    EXPECT_FALSE(Net().FetchLines("not a url", kShort, 4096, lines));
}

TEST_F(Win32Seam, DownloadCreatesTheFileOnlyWhenTheBodyArrivedWholeAndNeverReplacesOne) {
    const std::u16string path(m_strFile.begin(), m_strFile.end());  // an ASCII temporary path
    ASSERT_EQ(seam::kErrSuccess, Net().DownloadToNewFile(Url("/lines"), path, kShort));
    EXPECT_EQ(ReadFile(m_strFile), "one\ntwo\nthree\n");

    // A file of the name is there: nothing is sent for it, and it stays as it was.
    EXPECT_EQ(seam::kErrFileExists, Net().DownloadToNewFile(Url("/lines"), path, kShort));
    EXPECT_EQ(ReadFile(m_strFile), "one\ntwo\nthree\n");

    // Each failure leaves no file behind.
    ::DeleteFileA(m_strFile.c_str());
    for (const char* url : {"/partial", "/stall", "/files/no-such-file.exe"}) {
        SCOPED_TRACE(url);
        DWORD start = ::GetTickCount();
        EXPECT_NE(seam::kErrSuccess, Net().DownloadToNewFile(Url(url), path, kShort));
        Figure((std::string("DownloadToNewFile ") + url).c_str(), ::GetTickCount() - start);
        EXPECT_FALSE(FileExists(m_strFile));
    }
    EXPECT_NE(seam::kErrSuccess, Net().DownloadToNewFile("http://127.0.0.1:1/x.exe", path, kShort));
    EXPECT_FALSE(FileExists(m_strFile));
}

TEST_F(Win32Seam, IdleProcessesRunUnderTheNamesAskedFor) {
    seam::IProcesses& procs = m_contract->Get().processes;
    uint32_t first = m_contract->StartIdleProcess("qdownagent.exe");
    uint32_t second = m_contract->StartIdleProcess("qdownagent.exe");
    ASSERT_NE(first, 0u);
    ASSERT_NE(second, 0u);
    ASSERT_NE(first, second);

    std::vector<seam::ProcessEntry> entries;
    ASSERT_TRUE(procs.Snapshot(entries));
    auto named = [&](uint32_t pid) {
        return std::any_of(entries.begin(), entries.end(), [&](const seam::ProcessEntry& e) {
            return e.pid == pid && e.exeName == "qdownagent.exe";
        });
    };
    EXPECT_TRUE(named(first));
    EXPECT_TRUE(named(second));

    seam::ProcHandle h = procs.Open(first);
    ASSERT_NE(h, 0u);
    uint32_t code = 0;
    EXPECT_TRUE(procs.GetExitCode(h, code));
    EXPECT_EQ(code, static_cast<uint32_t>(STILL_ACTIVE));
    EXPECT_EQ(procs.Wait(h, 0), seam::WaitResult::TimedOut);
    EXPECT_TRUE(procs.Terminate(h, code));
    EXPECT_EQ(procs.Wait(h, 5000), seam::WaitResult::Signalled);
    procs.Close(h);

    ASSERT_TRUE(procs.Snapshot(entries));
    EXPECT_FALSE(named(first));
    EXPECT_TRUE(named(second));
}

// The engine's stop loop: query, then one query a second while stop-pending.
int PendingPollsAfterStop(seam::IServices& svcs, const std::string& name, uint32_t& finalState) {
    seam::SvcHandle manager = svcs.OpenManager();
    if (!manager) return -1;
    seam::SvcHandle service = svcs.OpenService(manager, name);
    int polls = -1;
    if (service) {
        svcs.ControlStop(service);
        polls = 0;
        while (svcs.QueryState(service, finalState) && finalState == seam::kSvcStopPending && polls < 30) {
            ++polls;
            ::Sleep(1000);
        }
        svcs.Close(service);
    }
    svcs.Close(manager);
    return polls;
}

TEST_F(Win32Seam, TestServiceStaysStopPendingForTheAskedNumberOfPolls) {
    seam::IServices& svcs = m_contract->Get().services;
    for (int pending : {0, 2}) {
        SCOPED_TRACE(pending);
        std::string name = "KestravinSeam" + std::to_string(pending);
        ASSERT_TRUE(m_contract->InstallService(name, pending));
        uint32_t state = 0;
        DWORD start = ::GetTickCount();
        EXPECT_EQ(PendingPollsAfterStop(svcs, name, state), pending);
        EXPECT_EQ(state, seam::kSvcStopped);
        Figure(("service stop, " + std::to_string(pending) + " pending polls").c_str(), ::GetTickCount() - start);
    }

    seam::SvcHandle manager = svcs.OpenManager();
    ASSERT_NE(manager, 0u);
    EXPECT_EQ(svcs.OpenService(manager, "KestravinSeamNotInstalled"), 0u);
    svcs.Close(manager);
}

}  // namespace
}  // namespace contract
