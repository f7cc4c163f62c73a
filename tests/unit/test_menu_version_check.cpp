// The menu's version check on its worker thread: the exchange runs off the
// caller's thread, the boxes come on the caller's thread only when it asks,
// in the order the check wanted them, and one check at a time. Run under
// ThreadSanitizer to catch unguarded sharing between the two threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "net/update/MenuVersionCheck.h"
#include "net/update/PromptRelay.h"
#include "net/Server.h"
#include "net/UsageCount.h"
#include "net/update/VersionCheck.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeNet.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeTrust.h"

namespace net {
namespace {

const char kServer[] = "http://127.0.0.1:8765";
// Bounds every wait of the tests: a fault shows as a failure, never a hang.
constexpr auto kBound = std::chrono::seconds(10);

// A server that holds the version query until the test lets it answer.
class HeldNet : public fakes::FakeNet {
public:
    bool FetchLines(const std::string& url, const seam::NetTimeouts& timeouts, size_t maxBytes,
                    std::vector<std::string>& lines) override {
        {
            std::unique_lock<std::mutex> hold(m_lock);
            m_workerThread = std::this_thread::get_id();
            ++m_nWaiting;
            m_changed.notify_all();
            if (!m_changed.wait_for(hold, kBound, [this] { return m_bReleased; }))
                ADD_FAILURE() << "the query was never let through";
            --m_nWaiting;
        }
        return fakes::FakeNet::FetchLines(url, timeouts, maxBytes, lines);
    }

    void Hold() {
        std::lock_guard<std::mutex> hold(m_lock);
        m_bReleased = false;
    }
    void Release() {
        std::lock_guard<std::mutex> hold(m_lock);
        m_bReleased = true;
        m_changed.notify_all();
    }
    bool WaitUntilQueried() {
        std::unique_lock<std::mutex> hold(m_lock);
        return m_changed.wait_for(hold, kBound, [this] { return m_nWaiting > 0; });
    }
    std::thread::id WorkerThread() const {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_workerThread;
    }

private:
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_bReleased = true;
    int m_nWaiting = 0;
    std::thread::id m_workerThread;
};

// The window's boxes: which, in order, and on which thread.
class Boxes : public IUpdatePrompts {
public:
    void ShowConnectionError() override { Note("connection-error"); }
    void ShowAlreadyLatest() override { Note("already-latest"); }
    void ShowConnectionFailed() override { Note("connection-failed"); }
    void ShowDownloadFailed() override { Note("download-failed"); }
    void ShowUpdateUnsigned() override { Note("update-unsigned"); }

    std::vector<std::string> Shown() const {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_shown;
    }
    std::vector<std::thread::id> Threads() const {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_threads;
    }

private:
    void Note(const char* box) {
        std::lock_guard<std::mutex> hold(m_lock);
        m_shown.push_back(box);
        m_threads.push_back(std::this_thread::get_id());
    }
    mutable std::mutex m_lock;
    std::vector<std::string> m_shown;
    std::vector<std::thread::id> m_threads;
};

// Stands for the window's message queue: the worker's notification is a post.
class Posted {
public:
    std::function<void()> Notifier() {
        return [this] {
            std::lock_guard<std::mutex> hold(m_lock);
            ++m_nPosts;
            m_requestsAtPost = m_pNet->RequestedUrls();
            m_posted.notify_all();
        };
    }
    bool WaitFor(int posts) {
        std::unique_lock<std::mutex> hold(m_lock);
        return m_posted.wait_for(hold, kBound, [&] { return m_nPosts >= posts; });
    }
    int Posts() const {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_nPosts;
    }
    std::vector<std::string> RequestsAtPost() const {
        std::lock_guard<std::mutex> hold(m_lock);
        return m_requestsAtPost;
    }
    fakes::FakeNet* m_pNet = nullptr;

private:
    mutable std::mutex m_lock;
    std::condition_variable m_posted;
    int m_nPosts = 0;
    std::vector<std::string> m_requestsAtPost;
};

class MenuVersionCheck : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("KESTRAVIN_SERVER", kServer, 1);
        m_posted.m_pNet = &m_net;
    }
    void TearDown() override {
        m_net.Release();
        EXPECT_TRUE(m_check.WaitEnded(10000));
        unsetenv("KESTRAVIN_SERVER");
    }

    const std::string m_strQuery = std::string(kServer) + kVersionQuery;
    const std::string m_strCount = std::string(kServer) + kCountUpdateExe;
    HeldNet m_net;
    fakes::FakeRegistry m_reg;
    fakes::FakeFileSystem m_files;
    fakes::FakeTrust m_trust{&m_files};
    const MakerPins m_pins{u"Kestravin", {}};
    Boxes m_boxes;
    CPromptRelay m_relay{m_boxes};
    CUpdateChecker m_checker{m_net, UpdateParts{m_trust, m_files, m_pins}, m_relay};
    std::atomic<bool> m_bOnline{false};
    CMenuVersionCheck m_check{m_net, m_reg, m_bOnline, m_checker, m_relay};
    Posted m_posted;
};

TEST_F(MenuVersionCheck, ExchangeRunsOffTheCallerAndItsBoxesComeOnTheCallerInOrder) {
    // No reply and none kept: the connection error, then "already the latest"
    // (an empty reply is version 0).
    m_net.Hold();
    ASSERT_TRUE(m_check.Start(m_posted.Notifier()));
    ASSERT_TRUE(m_net.WaitUntilQueried());
    EXPECT_NE(std::this_thread::get_id(), m_net.WorkerThread());
    EXPECT_TRUE(m_check.Running());
    EXPECT_FALSE(m_check.WaitEnded(20));  // bounded: the server still holds the query
    // The menu item is ignored meanwhile, and asking for the boxes early shows none.
    EXPECT_FALSE(m_check.Start(m_posted.Notifier()));
    m_check.ShowPrompts();
    EXPECT_TRUE(m_boxes.Shown().empty());

    m_net.Release();
    ASSERT_TRUE(m_posted.WaitFor(1));
    // The whole exchange, usage count included, is over before the post; no
    // box has opened on the worker.
    EXPECT_EQ((std::vector<std::string>{m_strQuery, m_strCount}), m_posted.RequestsAtPost());
    EXPECT_TRUE(m_bOnline.load());
    EXPECT_TRUE(m_boxes.Shown().empty());
    EXPECT_EQ(2u, m_relay.HeldCount());

    m_check.ShowPrompts();
    EXPECT_EQ((std::vector<std::string>{"connection-error", "already-latest"}), m_boxes.Shown());
    for (std::thread::id shownOn : m_boxes.Threads()) EXPECT_EQ(std::this_thread::get_id(), shownOn);
    EXPECT_TRUE(m_check.WaitEnded(10000));
    EXPECT_FALSE(m_check.Running());
    EXPECT_EQ(1, m_posted.Posts());
    EXPECT_EQ((std::vector<std::string>{m_strQuery, m_strCount}), m_net.RequestedUrls());
}

TEST_F(MenuVersionCheck, OneCheckAtATimeUntilItsBoxesAreShown) {
    m_net.SetReply(m_strQuery, {"1#http://127.0.0.1:8765/files/KestravinSetup.exe"});
    ASSERT_TRUE(m_check.Start(m_posted.Notifier()));
    ASSERT_TRUE(m_posted.WaitFor(1));
    ASSERT_TRUE(m_check.WaitEnded(10000));
    // Ended, but its box is not shown yet: still no second check.
    EXPECT_FALSE(m_check.Start(m_posted.Notifier()));
    EXPECT_EQ(2u, m_net.RequestedUrls().size());

    m_check.ShowPrompts();
    EXPECT_EQ((std::vector<std::string>{"already-latest"}), m_boxes.Shown());
    // Shown: the next command runs a check of its own, whose box is held again.
    ASSERT_TRUE(m_check.Start(m_posted.Notifier()));
    ASSERT_TRUE(m_posted.WaitFor(2));
    EXPECT_EQ(1u, m_boxes.Shown().size());
    m_check.ShowPrompts();
    EXPECT_EQ((std::vector<std::string>{"already-latest", "already-latest"}), m_boxes.Shown());
    EXPECT_EQ((std::vector<std::string>{m_strQuery, m_strCount, m_strQuery, m_strCount}), m_net.RequestedUrls());
}

TEST_F(MenuVersionCheck, OfflineBoxIsHeldForTheCallerAsWell) {
    m_net.SetOnline(false);
    m_bOnline.store(true);
    ASSERT_TRUE(m_check.Start(m_posted.Notifier()));
    ASSERT_TRUE(m_posted.WaitFor(1));
    EXPECT_FALSE(m_bOnline.load());
    EXPECT_TRUE(m_boxes.Shown().empty());
    m_check.ShowPrompts();
    EXPECT_EQ((std::vector<std::string>{"connection-failed"}), m_boxes.Shown());
    EXPECT_TRUE(m_net.RequestedUrls().empty());
}

// The start-up check stays on the caller's thread and shows its box during
// the call, before the window would appear; a held box is never shown twice.
TEST_F(MenuVersionCheck, StartUpBoxesPassStraightThrough) {
    m_net.SetFailure(m_strQuery);
    CheckVersionAtStartUp(m_net, m_reg, m_bOnline, m_checker);
    EXPECT_EQ((std::vector<std::string>{"connection-error"}), m_boxes.Shown());
    EXPECT_EQ(0u, m_relay.HeldCount());

    m_relay.Hold();
    m_relay.ShowDownloadFailed();
    m_relay.ShowHeld();
    m_relay.ShowHeld();
    m_relay.ShowAlreadyLatest();  // no longer holding: shown at once
    EXPECT_EQ((std::vector<std::string>{"connection-error", "download-failed", "already-latest"}),
              m_boxes.Shown());
}

// An owner that goes away before it showed the boxes still finds the worker
// ended and joined, not running on into freed objects.
TEST(MenuVersionCheckLifetime, DestructionJoinsAWorkerThatHasEnded) {
    setenv("KESTRAVIN_SERVER", kServer, 1);
    HeldNet net;
    fakes::FakeRegistry reg;
    fakes::FakeFileSystem files;
    fakes::FakeTrust trust{&files};
    const MakerPins pins{u"Kestravin", {}};
    Boxes boxes;
    std::atomic<int> posts{0};
    {
        CPromptRelay relay(boxes);
        CUpdateChecker checker(net, UpdateParts{trust, files, pins}, relay);
        std::atomic<bool> bOnline{false};
        CMenuVersionCheck check(net, reg, bOnline, checker, relay);
        ASSERT_TRUE(check.Start([&posts] { posts.fetch_add(1); }));
        ASSERT_TRUE(check.WaitEnded(10000));
    }
    EXPECT_EQ(1, posts.load());
    EXPECT_TRUE(boxes.Shown().empty());
    unsetenv("KESTRAVIN_SERVER");
}

}  // namespace
}  // namespace net
